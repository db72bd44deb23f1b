// Each pedal's block path against its plain reference, bit for bit, at the
// five rates of the rate choice and at 8000 Hz, over several knob settings,
// full-scale square, sine and noise, and blocks from 1 to 4800 samples.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <tuple>

#include "effects/pedalboard.h"
#include "reference_harness.h"

namespace ampliro::reference {
namespace {

template <typename T>
std::function<std::unique_ptr<Effect>()> Maker() {
    return [] { return std::make_unique<T>(); };
}

const int32_t kF32 = FloatBits(32.0f);

const std::vector<PedalUnderTest>& Pedals() {
    static const std::vector<PedalUnderTest> pedals = {
        // level, mix, enabled, bass, middle, treble, saturation, drive
        {"Overdrive",
         kKeyOverdrive,
         Maker<OverdrivePedal>(),
         MakeOverdrive,
         {{"defaults", {64, 32, 1, 32, 32, 32, 32, 32}, 150},
          {"all up", {64, 32, 1, 64, 64, 64, 64, 64}, 150},
          {"all down", {64, 32, 1, 0, 0, 0, 0, 0}, 150},
          {"scooped", {64, 32, 1, 64, 0, 64, 0, 64}, 150},
          {"middle", {64, 32, 1, 10, 50, 20, 45, 17}, 150}}},
        // level, mix, enabled, resonance, frequency, mode, gain
        {"ParametricEq",
         kKeyParametricEq,
         Maker<ParametricEqPedal>(),
         MakeParametricEq,
         {{"defaults", {48, 32, 1, kF32, FloatBits(2600.0f), 4, 0}, 150},
          {"undamped", {64, 64, 1, FloatBits(64.0f), FloatBits(5000.0f), 4, 64}, 400},
          {"low-pass", {64, 64, 1, FloatBits(0.0f), FloatBits(200.0f), 2, 32}, 150},
          {"notch", {40, 20, 1, FloatBits(17.0f), FloatBits(1234.0f), 1, 9}, 150},
          {"high-pass", {64, 48, 1, FloatBits(50.0f), FloatBits(4000.0f), 3, 64}, 150}}},
        // level, enabled, the seven band gains
        {"GraphicEq",
         kKeyGraphicEq,
         Maker<GraphicEqPedal>(),
         MakeGraphicEq,
         {{"defaults", {48, 1, 0, 0, 0, 0, 0, 0, 0}, 100},
          {"all up", {64, 1, 10, 10, 10, 10, 10, 10, 10}, 150},
          {"all down", {64, 1, -10, -10, -10, -10, -10, -10, -10}, 150},
          {"middle", {40, 1, 3, -7, 10, 0, -2, 6, -10}, 150}}},
        // level, mix, enabled, depth, speed, feedback
        {"Chorus",
         kKeyChorus,
         Maker<ChorusPedal>(),
         MakeChorus,
         {{"defaults", {48, 32, 1, 32, FloatBits(16.0f), 32}, 300},
          {"all up", {64, 64, 1, 64, FloatBits(64.0f), 64}, 600},
          {"all down", {64, 64, 1, 0, FloatBits(1.0f), 0}, 150},
          {"middle", {30, 40, 1, 17, FloatBits(23.0f), 45}, 300}}},
        // level, mix, enabled, rate, feedback, depth
        {"Phaser",
         kKeyPhaser,
         Maker<PhaserPedal>(),
         MakePhaser,
         {{"defaults", {48, 32, 1, 32, 32, 32}, 300},
          {"all up", {64, 64, 1, 64, 64, 64}, 1100},
          {"all down", {64, 64, 1, 1, 0, 0}, 150},
          {"middle", {20, 50, 1, 9, 13, 51}, 300}}},
        // level, mix, enabled, delay ms, decay, cutoff
        {"Delay",
         kKeyDelay,
         Maker<DelayPedal>(),
         MakeDelay,
         {{"defaults", {48, 32, 1, 500, 32, 64}, 1100},
          {"shortest, dark", {64, 64, 1, 1, 64, 0}, 100},
          {"longest", {64, 64, 1, 3000, 64, 64}, 3100},
          {"middle", {37, 23, 1, 37, 40, 33}, 200},
          {"bypassed", {64, 64, 0, 100, 64, 10}, 100}}},
        // level, mix, enabled, delay ms, decay, LP gain, HP gain
        {"Reverb",
         kKeyReverb,
         Maker<ReverbPedal>(),
         MakeReverb,
         {{"defaults", {48, 32, 1, 32, 32, 32, 32}, 200},
          {"all up", {64, 64, 1, 250, 64, 64, 64}, 600},
          {"all down", {64, 64, 1, 1, 0, 0, 0}, 100},
          {"middle", {50, 27, 1, 97, 11, 45, 12}, 300}}},
        // level, enabled, depth, rate
        {"Tremolo",
         kKeyTremolo,
         Maker<TremoloPedal>(),
         MakeTremolo,
         {{"defaults", {48, 1, 32, 32}, 200},
          {"all up", {64, 1, 64, 64}, 150},
          {"slowest, full", {64, 1, 64, 1}, 100},
          {"no depth", {64, 1, 0, 1}, 100},
          {"middle", {33, 1, 41, 13}, 200}}},
        // level, mix, enabled, level again, semitones
        {"PitchShifter",
         kKeyPitchShifter,
         Maker<PitchShifterPedal>(),
         MakePitchShifter,
         {{"defaults", {48, 32, 1, 48, 3}, 300},
          {"octave up", {64, 64, 1, 64, 12}, 300},
          {"octave down", {64, 64, 1, 64, -12}, 300},
          {"unshifted", {64, 32, 1, 64, 0}, 300},
          {"second level counts", {20, 50, 1, 40, -5}, 300}}},
    };
    return pedals;
}

// The five rates of the rate choice, and 8000 Hz, which the screen does not
// offer but a preferences file may still name: there the Phaser's tuning
// takes its general rule and the Graphic EQ's top band lies above half the
// rate.
constexpr int32_t kRates[] = {8000, 11025, 22050, 44100, 48000, 96000};

struct Case {
    size_t pedal;
    size_t setting;
    int32_t rate;
    size_t number;  // position in the list of cases
};

std::vector<Case> AllCases() {
    std::vector<Case> cases;
    for (size_t p = 0; p < Pedals().size(); ++p) {
        for (size_t s = 0; s < Pedals()[p].settings.size(); ++s) {
            for (int32_t rate : kRates) cases.push_back({p, s, rate, cases.size()});
        }
    }
    return cases;
}

std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
    const PedalUnderTest& pedal = Pedals()[info.param.pedal];
    std::string name = std::string(pedal.name) + "_" + pedal.settings[info.param.setting].name +
                       "_" + std::to_string(info.param.rate);
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return name;
}

class ReferenceComparison : public ::testing::TestWithParam<Case> {};

TEST_P(ReferenceComparison, BlockPathEqualsReferenceForEverySignalAndBlockSize) {
    const Case& c = GetParam();
    const PedalUnderTest& pedal = Pedals()[c.pedal];
    for (Signal signal : SignalsFor(c.number)) {
        for (int32_t pattern : BlockPatterns()) {
            if (pattern > pedal.maxBlock) continue;
            EXPECT_TRUE(SameOutput(pedal, pedal.settings[c.setting], c.rate, signal, pattern));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllPedals, ReferenceComparison, ::testing::ValuesIn(AllCases()), CaseName);

}  // namespace
}  // namespace ampliro::reference
