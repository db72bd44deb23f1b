// Knobs moved between blocks while the signal runs: a delay or comb
// shortened below its write position, the sweep depth jumping, the filter
// retuned. The block path must follow the reference sample for sample.
#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "effects/pedalboard.h"
#include "reference_harness.h"

namespace ampliro::reference {
namespace {

constexpr int32_t kRates[] = {11025, 22050, 44100, 48000, 96000};
constexpr int32_t kPatterns[] = {1, 256, 0};

void ExpectSameWithMoves(const PedalUnderTest& pedal, const std::vector<ControlMove>& moves) {
    for (size_t r = 0; r < std::size(kRates); ++r) {
        const int32_t rate = kRates[r];
        for (Signal signal : SignalsFor(r)) {
            for (int32_t pattern : kPatterns) {
                EXPECT_TRUE(SameOutput(pedal, pedal.settings[0], rate, signal, pattern, moves));
            }
        }
    }
}

TEST(ReferenceKnobMoves, DelayShortenedBelowItsWritePositionAndLengthenedAgain) {
    const PedalUnderTest delay = {"Delay",
                                  kKeyDelay,
                                  [] { return std::make_unique<DelayPedal>(); },
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
                                   [] { return std::make_unique<ReverbPedal>(); },
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
                                   [] { return std::make_unique<ChorusPedal>(); },
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
        [] { return std::make_unique<ParametricEqPedal>(); },
        MakeParametricEq,
        {{"moving", {48, 32, 1, FloatBits(32.0f), FloatBits(2600.0f), 4, 0}, 600}}};
    ExpectSameWithMoves(
        eq, {{100, 2, 200}, {200, 3, 64}, {250, 2, 5000}, {300, 4, 64}, {400, 3, 0}, {500, 5, 10}});
}

TEST(ReferenceKnobMoves, OverdriveDriveSaturationAndToneTurned) {
    const PedalUnderTest overdrive = {"Overdrive",
                                      kKeyOverdrive,
                                      [] { return std::make_unique<OverdrivePedal>(); },
                                      MakeOverdrive,
                                      {{"moving", {64, 32, 1, 32, 32, 32, 32, 32}, 500}}};
    ExpectSameWithMoves(overdrive, {{50, 1, 64},
                                    {100, 2, 64},
                                    {150, 3, 0},
                                    {200, 5, 64},
                                    {250, 4, 10},
                                    {300, 2, 0},
                                    {350, 1, 0},
                                    {400, 3, 64}});
}

// A band moved off 0 dB takes up the state it froze with when it was set
// to 0; the wavefront and the band-by-band loop must both do so.
TEST(ReferenceKnobMoves, GraphicEqBandsSwitchedOnAndOffMidStream) {
    const PedalUnderTest eq = {"GraphicEq",
                               kKeyGraphicEq,
                               [] { return std::make_unique<GraphicEqPedal>(); },
                               MakeGraphicEq,
                               {{"moving", {48, 1, 6, 0, -4, 0, 8, 0, 2}, 600}}};
    // Band sliders are ids 2..8; position 10 is 0 dB, 0 is +10 dB.
    ExpectSameWithMoves(eq, {{50, 4, 10},
                             {100, 3, 0},
                             {150, 2, 10},
                             {200, 4, 20},
                             {250, 8, 0},
                             {300, 2, 3},
                             {350, 6, 10},
                             {400, 1, 0},
                             {450, 5, 0},
                             {500, 7, 20}});
}

TEST(ReferenceKnobMoves, PhaserAndTremoloRatesAndDepthsTurned) {
    const PedalUnderTest phaser = {"Phaser",
                                   kKeyPhaser,
                                   [] { return std::make_unique<PhaserPedal>(); },
                                   MakePhaser,
                                   {{"moving", {48, 32, 1, 32, 32, 32}, 500}}};
    ExpectSameWithMoves(phaser, {{50, 2, 64},
                                 {100, 4, 64},
                                 {200, 3, 0},
                                 {300, 2, 1},
                                 {350, 3, 64},
                                 {400, 5, 64},
                                 {450, 1, 20}});
    const PedalUnderTest tremolo = {"Tremolo",
                                    kKeyTremolo,
                                    [] { return std::make_unique<TremoloPedal>(); },
                                    MakeTremolo,
                                    {{"moving", {48, 1, 32, 32}, 400}}};
    ExpectSameWithMoves(tremolo,
                        {{50, 2, 64}, {100, 3, 64}, {200, 2, 1}, {300, 3, 0}, {350, 1, 0}});
}

TEST(ReferenceKnobMoves, PitchShifterRetunedBetweenBlocks) {
    const PedalUnderTest shifter = {"PitchShifter",
                                    kKeyPitchShifter,
                                    [] { return std::make_unique<PitchShifterPedal>(); },
                                    MakePitchShifter,
                                    {{"moving", {48, 32, 1, 48, 3}, 500}},
                                    4096};
    ExpectSameWithMoves(
        shifter,
        {{100, 2, 24}, {200, 3, 64}, {250, 2, 0}, {300, 2, 12}, {350, 1, 10}, {400, 2, 19}});
}

// The footswitch pressed twice mid-stream: the pedal passes the blocks
// untouched while off, and comes back with its delay memory cleared (the
// Delay's current span, the Reverb's base length of every comb, the whole
// Chorus line) and everything else as it was.
TEST(ReferenceKnobMoves, FootswitchOffAndOnAgain) {
    const std::vector<ControlMove> twice = {{150, 12, 0}, {250, 12, 0}};
    const std::vector<PedalUnderTest> pedals = {
        {"Delay",
         kKeyDelay,
         [] { return std::make_unique<DelayPedal>(); },
         MakeDelay,
         {{"footswitch", {48, 32, 1, 100, 48, 40}, 400}}},
        {"Reverb",
         kKeyReverb,
         [] { return std::make_unique<ReverbPedal>(); },
         MakeReverb,
         {{"footswitch", {48, 32, 1, 97, 48, 40, 20}, 400}}},
        {"Chorus",
         kKeyChorus,
         [] { return std::make_unique<ChorusPedal>(); },
         MakeChorus,
         {{"footswitch", {48, 32, 1, 40, FloatBits(5.0f), 50}, 400}}},
        {"Phaser",
         kKeyPhaser,
         [] { return std::make_unique<PhaserPedal>(); },
         MakePhaser,
         {{"footswitch", {48, 32, 1, 40, 50, 50}, 400}}},
        {"ParametricEq",
         kKeyParametricEq,
         [] { return std::make_unique<ParametricEqPedal>(); },
         MakeParametricEq,
         {{"footswitch", {48, 32, 1, FloatBits(60.0f), FloatBits(900.0f), 2, 10}, 400}}},
        {"GraphicEq",
         kKeyGraphicEq,
         [] { return std::make_unique<GraphicEqPedal>(); },
         MakeGraphicEq,
         {{"footswitch", {48, 1, 6, 0, -4, 0, 8, 0, 2}, 400}}},
        {"Overdrive",
         kKeyOverdrive,
         [] { return std::make_unique<OverdrivePedal>(); },
         MakeOverdrive,
         {{"footswitch", {64, 32, 1, 50, 20, 60, 40, 30}, 400}}},
        {"Tremolo",
         kKeyTremolo,
         [] { return std::make_unique<TremoloPedal>(); },
         MakeTremolo,
         {{"footswitch", {48, 1, 50, 20}, 400}}},
        {"PitchShifter",
         kKeyPitchShifter,
         [] { return std::make_unique<PitchShifterPedal>(); },
         MakePitchShifter,
         {{"footswitch", {48, 32, 1, 48, 5}, 400}},
         4096},
    };
    for (const PedalUnderTest& pedal : pedals) ExpectSameWithMoves(pedal, twice);
}

}  // namespace
}  // namespace ampliro::reference
