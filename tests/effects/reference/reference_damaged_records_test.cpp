// Preset records a damaged file could hold: values far outside the knobs'
// ranges, NaN and infinite floats, odd switch words. Each pedal must play
// them exactly as the reference plays the knobs held to their ranges (a NaN
// at the knob's minimum), without leaving its buffers.
#include <gtest/gtest.h>

#include <limits>

#include "effects/pedalboard.h"
#include "reference_harness.h"

namespace ampliro::reference {
namespace {

const int32_t kNaN = FloatBits(std::numeric_limits<float>::quiet_NaN());
const int32_t kInfinity = FloatBits(std::numeric_limits<float>::infinity());
const int32_t kMinusInfinity = FloatBits(-std::numeric_limits<float>::infinity());

template <typename T>
std::function<std::unique_ptr<Effect>()> Maker() {
    return [] { return std::make_unique<T>(); };
}

const std::vector<PedalUnderTest>& DamagedPedals() {
    static const std::vector<PedalUnderTest> pedals = {
        {"Overdrive",
         kKeyOverdrive,
         Maker<OverdrivePedal>(),
         MakeOverdrive,
         {{"beyond", {64, 32, 7, -5, 999, 70, -1, 200}, 100},
          {"below", {64, 32, -1, 65, -65, INT32_MIN, INT32_MAX, -200}, 100}}},
        {"ParametricEq",
         kKeyParametricEq,
         Maker<ParametricEqPedal>(),
         MakeParametricEq,
         {{"NaN and huge", {99, 200, 1, kNaN, FloatBits(1e9f), 9, 500}, 100},
          {"infinities", {-9, 70, 1, kInfinity, kMinusInfinity, 0, -7}, 100}}},
        {"GraphicEq",
         kKeyGraphicEq,
         Maker<GraphicEqPedal>(),
         MakeGraphicEq,
         {{"beyond", {300, 1, 99, -99, 11, -11, 0, 5, 1000}, 100}}},
        {"Chorus",
         kKeyChorus,
         Maker<ChorusPedal>(),
         MakeChorus,
         {{"NaN speed", {64, 64, 1, 500, kNaN, -9}, 300},
          {"negative speed", {64, 64, 1, -40, FloatBits(-3.0f), 99}, 150},
          {"infinite speed", {64, 64, 1, 64, kInfinity, 64}, 150}}},
        {"Phaser",
         kKeyPhaser,
         Maker<PhaserPedal>(),
         MakePhaser,
         {{"rate 0", {64, 64, 1, 0, 99, -4}, 100}, {"beyond", {64, 64, 1, 500, -1, 500}, 100}}},
        {"Delay",
         kKeyDelay,
         Maker<DelayPedal>(),
         MakeDelay,
         {{"no delay", {64, 64, 1, 0, 99, -1}, 100},
          {"negative delay", {64, 64, 1, -50, 32, 99}, 100},
          {"too long", {64, 64, 1, 99999, 32, 64}, 3100}}},
        {"Reverb",
         kKeyReverb,
         Maker<ReverbPedal>(),
         MakeReverb,
         {{"no delay", {64, 64, 1, 0, 99, -1, 99}, 100},
          {"negative", {64, 64, 1, -20, -5, 32, 32}, 100},
          {"too long", {64, 64, 1, 1000, 32, 32, 32}, 600}}},
        {"Tremolo",
         kKeyTremolo,
         Maker<TremoloPedal>(),
         MakeTremolo,
         {{"rate 0", {64, 1, 99, 0}, 100}, {"beyond", {64, 1, -3, 500}, 100}}},
        {"PitchShifter",
         kKeyPitchShifter,
         Maker<PitchShifterPedal>(),
         MakePitchShifter,
         {{"beyond", {64, 64, 1, 99, 40}, 200}, {"below", {64, 64, 1, -5, -40}, 200}},
         4096},
    };
    return pedals;
}

TEST(ReferenceDamagedRecords, EveryPedalPlaysItsKnobsHeldToTheirRanges) {
    const int32_t rates[] = {11025, 96000};
    size_t number = 0;
    for (const PedalUnderTest& pedal : DamagedPedals()) {
        for (const Setting& setting : pedal.settings) {
            for (int32_t rate : rates) {
                for (Signal signal : SignalsFor(number++)) {
                    for (int32_t pattern : {1, 256, 0}) {
                        EXPECT_TRUE(SameOutput(pedal, setting, rate, signal, pattern));
                    }
                }
            }
        }
    }
}

}  // namespace
}  // namespace ampliro::reference
