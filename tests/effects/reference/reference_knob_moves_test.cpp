// Knobs moved between blocks while the signal runs: a delay or comb
// shortened below its write position, the sweep depth jumping, the filter
// retuned. The block path must follow the reference sample for sample.
#include <gtest/gtest.h>

#include <string>

#include "effects/pedalboard.h"
#include "reference_harness.h"

namespace ampliro::reference {
namespace {

constexpr int32_t kRates[] = {11025, 22050, 44100, 48000, 96000};
constexpr int32_t kPatterns[] = {1, 256, 0};

void ExpectSameWithMoves(const PedalUnderTest& pedal, const std::vector<ControlMove>& moves) {
    for (int32_t rate : kRates) {
        for (Signal signal : {Signal::kSquare, Signal::kSine, Signal::kNoise}) {
            for (int32_t pattern : kPatterns) {
                EXPECT_TRUE(SameOutput(pedal, pedal.settings[0], rate, signal, pattern, moves));
            }
        }
    }
}

TEST(ReferenceKnobMoves, DelayShortenedBelowItsWritePositionAndLengthenedAgain) {
    const PedalUnderTest delay = {"Delay",
                                  kKeyDelay,
                                  [] { return std::make_unique<DelayLine>(); },
                                  MakeDelay,
                                  {{"moving", {48, 32, 1, 500, 32, 64}, 1700}}};
    // At 0.6 s the write position is past 37 ms at every rate.
    ExpectSameWithMoves(delay, {{600, 2, 37},
                                {650, 3, 64},
                                {700, 4, 20},
                                {800, 2, 3000},
                                {1000, 2, 1},
                                {1100, 4, 64},
                                {1200, 1, 10},
                                {1300, 5, 60},
                                {1400, 2, 250},
                                {1500, 3, 0}});
}

TEST(ReferenceKnobMoves, ReverbCombsShortenedBelowTheirPositions) {
    const PedalUnderTest reverb = {"Reverb",
                                   kKeyReverb,
                                   [] { return std::make_unique<ReverbLine>(); },
                                   MakeReverb,
                                   {{"moving", {48, 32, 1, 250, 32, 32, 32}, 1200}}};
    ExpectSameWithMoves(reverb, {{200, 2, 5},
                                 {300, 3, 64},
                                 {400, 2, 250},
                                 {600, 4, 60},
                                 {700, 2, 97},
                                 {800, 3, 0},
                                 {900, 1, 30},
                                 {1000, 5, 64}});
}

TEST(ReferenceKnobMoves, ChorusDepthAndSpeedJump) {
    const PedalUnderTest chorus = {"Chorus",
                                   kKeyChorus,
                                   [] { return std::make_unique<ChorusLine>(); },
                                   MakeChorus,
                                   {{"moving", {48, 32, 1, 32, FloatBits(16.0f), 32}, 900}}};
    ExpectSameWithMoves(chorus, {{100, 3, 64},
                                 {200, 2, 64},
                                 {300, 3, 0},
                                 {400, 4, 64},
                                 {500, 3, 40},
                                 {600, 4, 0},
                                 {700, 2, 1},
                                 {800, 5, 64}});
}

TEST(ReferenceKnobMoves, ParametricEqRetunedAndUndamped) {
    const PedalUnderTest eq = {
        "ParametricEq",
        kKeyParametricEq,
        [] { return std::make_unique<FilterLine>(); },
        MakeParametricEq,
        {{"moving", {48, 32, 1, FloatBits(32.0f), FloatBits(2600.0f), 4, 0}, 600}}};
    ExpectSameWithMoves(
        eq, {{100, 2, 200}, {200, 3, 64}, {250, 2, 5000}, {300, 4, 64}, {400, 3, 0}, {500, 5, 10}});
}

}  // namespace
}  // namespace ampliro::reference
