// The references against worked numbers of the design, so that a reference
// that drifted from the algorithm cannot pass the comparisons by agreeing
// with a block path that drifted the same way; and the Pitch Shifter's
// blocks longer than its longest step.
#include <gtest/gtest.h>

#include <vector>

#include "effects/pitch_shifter_line.h"
#include "reference_harness.h"

namespace ampliro::reference {
namespace {

std::vector<int16_t> Processed(Pedal& pedal, std::vector<int16_t> s) {
    pedal.ProcessBlock(s.data(), static_cast<int32_t>(s.size()));
    return s;
}

std::vector<int16_t> Impulse(int32_t count, int16_t height) {
    std::vector<int16_t> s(count, 0);
    s[0] = height;
    return s;
}

TEST(ReferenceWorkedNumbers, OverdriveDefaultsClipAfterTheToneStacksThreeSampleDelay) {
    auto od = MakeOverdrive(44100, {64, 32, 1, 32, 32, 32, 32, 32});
    const std::vector<int16_t> out = Processed(*od, {10000, -10000, 1000, 0, 0, 0});
    EXPECT_EQ(out, (std::vector<int16_t>{0, 0, 0, 18656, -18656, 4114}));
}

TEST(ReferenceWorkedNumbers, OverdriveFullSaturationPeaksAt7875) {
    auto od = MakeOverdrive(44100, {64, 32, 1, 32, 32, 32, 64, 0});
    const std::vector<int16_t> out = Processed(*od, {32767, -32768, 32767, 32767, 32767, -32768});
    // 4208 + (28560 x 4208 >> 15); below zero the arithmetic shift rounds
    // down, one further out.
    EXPECT_EQ(out, (std::vector<int16_t>{0, 0, 0, 7875, -7876, 7875}));
}

TEST(ReferenceWorkedNumbers, ReverbShortestCombAnswersFirstAndAgainAtItsGain) {
    // 44100 Hz, Delay 32, Decay 32: the last comb is 769 samples long with
    // gain 3639; the tone stack at unity adds three samples.
    auto reverb = MakeReverb(44100, {64, 64, 1, 32, 32, 32, 32});
    const std::vector<int16_t> out = Processed(*reverb, Impulse(1600, 32767));
    EXPECT_EQ(out[769 + 3], 32767 >> 3);
    EXPECT_EQ(out[769 + 2], 0);
    EXPECT_EQ(out[838 + 3], 32767 >> 3);  // the next comb
    EXPECT_EQ(out[2 * 769 + 3], ((3639 * 32767) >> 12) >> 3);
}

TEST(ReferenceWorkedNumbers, DelayOfOneMillisecondEchoesAfterItsLengthLessOne) {
    // 11025 Hz: 11 samples of delay; the oldest entry is 10 samples old.
    auto delay = MakeDelay(11025, {64, 64, 1, 1, 0, 64});
    const std::vector<int16_t> out = Processed(*delay, Impulse(40, 20000));
    std::vector<int16_t> expected(40, 0);
    expected[10] = 20000;  // and only once: no decay
    EXPECT_EQ(out, expected);
}

TEST(ReferenceWorkedNumbers, ChorusAtDepthZeroAveragesTheInputWithItselfSixSamplesBack) {
    auto chorus = MakeChorus(44100, {64, 64, 1, 0, FloatBits(16.0f), 0});
    const std::vector<int16_t> out = Processed(*chorus, Impulse(12, 32000));
    EXPECT_EQ(out, (std::vector<int16_t>{16000, 0, 0, 0, 0, 0, 16000, 0, 0, 0, 0, 0}));
}

TEST(ReferenceWorkedNumbers, TremoloWithoutDepthIsTheLevelAlone) {
    auto tremolo = MakeTremolo(44100, {48, 1, 0, 64});
    const std::vector<int16_t> out = Processed(*tremolo, {32767, -32768, 100, -1});
    EXPECT_EQ(out, (std::vector<int16_t>{24575, -24576, 75, -1}));
}

TEST(ReferenceWorkedNumbers, ParametricEqAtResonance64RingsAndLightsThePeakLamp) {
    auto eq = MakeParametricEq(44100, {64, 64, 1, FloatBits(64.0f), FloatBits(2600.0f), 4, 0});
    std::vector<int16_t> s(20000, 0);
    for (size_t i = 0; i < s.size(); ++i) s[i] = (i / 8) % 2 ? -20000 : 20000;
    eq->ProcessBlock(s.data(), static_cast<int32_t>(s.size()));
    EXPECT_EQ(eq->peak().lit, 1);
    EXPECT_GT(eq->peak().hold, 44100 - 20000);
}

TEST(ReferenceWorkedNumbers, BypassedPedalsLeaveTheBlockAsItIs) {
    const std::vector<int16_t> in = {32767, -32768, 5, -7, 0, 1234};
    auto delay = MakeDelay(44100, {64, 64, 0, 100, 64, 10});
    auto eq = MakeGraphicEq(44100, {10, 0, 10, 10, 10, 10, 10, 10, 10});
    auto shifter = MakePitchShifter(44100, {10, 64, 0, 10, 12});
    EXPECT_EQ(Processed(*delay, in), in);
    EXPECT_EQ(Processed(*eq, in), in);
    EXPECT_EQ(Processed(*shifter, in), in);
}

// A block longer than the pedal's 4096-sample step is fed, and drained, as
// that step and the rest: the same samples as the whole-block feed given
// those two blocks one after the other.
TEST(PitchShifterLongBlocks, RunAsAStepOf4096ThenTheRest) {
    const Record record = {48, 32, 1, 48, 3};
    PitchShifterLine pedal;
    ASSERT_TRUE(StartBlockPath(pedal, kKeyPitchShifter, 44100, record));
    auto plain = MakePitchShifter(44100, record);
    std::vector<int16_t> viaPedal = MakeSignal(Signal::kSine, 44100, 4800 * 6);
    std::vector<int16_t> viaReference = viaPedal;
    for (int32_t start = 0; start < 4800 * 6; start += 4800) {
        pedal.ProcessBlock(viaPedal.data() + start, 4800);
        plain->ProcessBlock(viaReference.data() + start, 4096);
        plain->ProcessBlock(viaReference.data() + start + 4096, 704);
    }
    EXPECT_EQ(viaPedal, viaReference);
    // and the whole-block feed differs, so the split is what the pedal does
    auto whole = MakePitchShifter(44100, record);
    std::vector<int16_t> viaWhole = MakeSignal(Signal::kSine, 44100, 4800 * 6);
    for (int32_t start = 0; start < 4800 * 6; start += 4800) {
        whole->ProcessBlock(viaWhole.data() + start, 4800);
    }
    EXPECT_NE(viaWhole, viaReference);
}

}  // namespace
}  // namespace ampliro::reference
