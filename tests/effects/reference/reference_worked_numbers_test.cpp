// The references against numbers worked by hand from the algorithms, so
// that a reference that drifted from the algorithm cannot pass the
// comparisons by agreeing with a block path that drifted the same way; and
// the Pitch Shifter's blocks longer than its longest step.
#include <gtest/gtest.h>

#include <vector>

#include "effects/pedals/pitch_shifter_pedal.h"
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

TEST(ReferenceWorkedNumbers, ParametricEqDefaultsTuneTo189AndDampBy325) {
    // Band-pass, no boost, all wet, an impulse of 10000: first the band
    // is 189 x 10000 >> 10 = 1845; then high = -(1845 x 325 >> 10) -
    // (189 x 1845 >> 10) = -586 - 340 = -926 and the band 1845 - 171.
    auto eq = MakeParametricEq(44100, {64, 64, 1, FloatBits(32.0f), FloatBits(2600.0f), 4, 0});
    const std::vector<int16_t> out = Processed(*eq, Impulse(2, 10000));
    EXPECT_EQ(out, (std::vector<int16_t>{1845, 1674}));
}

TEST(ReferenceWorkedNumbers, GraphicEqBandFiveAtPlusTenUsesTheDesignedCoefficients) {
    // 44100 Hz, 1600 Hz at +10 dB: 38990, -58234, 20790, 58234, -27012.
    const int64_t c[5] = {38990, -58234, 20790, 58234, -27012};
    std::vector<int16_t> expected(64);
    int64_t x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    for (int32_t i = 0; i < 64; ++i) {
        const int64_t x = i == 0 ? 10000 : 0;
        const int64_t y = (c[0] * x + c[1] * x1 + c[2] * x2 + c[3] * y1 + c[4] * y2) >> 15;
        x2 = x1, x1 = x, y2 = y1, y1 = y;
        expected[i] = static_cast<int16_t>(y);
    }
    auto eq = MakeGraphicEq(44100, {64, 1, 0, 0, 0, 0, 10, 0, 0});
    EXPECT_EQ(Processed(*eq, Impulse(64, 10000)), expected);
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

// A block longer than the pedal's 4800-sample step is fed, and drained, as
// that step and the rest: the same samples as the whole-block feed given
// those two blocks one after the other.
TEST(PitchShifterLongBlocks, RunAsAStepOf4800ThenTheRest) {
    const Record record = {48, 32, 1, 48, 3};
    PitchShifterPedal pedal;
    ASSERT_TRUE(StartBlockPath(pedal, kKeyPitchShifter, 44100, record));
    auto plain = MakePitchShifter(44100, record);
    std::vector<int16_t> viaPedal = MakeSignal(Signal::kSine, 44100, 6000 * 6);
    std::vector<int16_t> viaReference = viaPedal;
    for (int32_t start = 0; start < 6000 * 6; start += 6000) {
        pedal.ProcessBlock(viaPedal.data() + start, 6000);
        plain->ProcessBlock(viaReference.data() + start, 4800);
        plain->ProcessBlock(viaReference.data() + start + 4800, 1200);
    }
    EXPECT_EQ(viaPedal, viaReference);
    // and the whole-block feed differs, so the split is what the pedal does
    auto whole = MakePitchShifter(44100, record);
    std::vector<int16_t> viaWhole = MakeSignal(Signal::kSine, 44100, 6000 * 6);
    for (int32_t start = 0; start < 6000 * 6; start += 6000) {
        whole->ProcessBlock(viaWhole.data() + start, 6000);
    }
    EXPECT_NE(viaWhole, viaReference);
}

}  // namespace
}  // namespace ampliro::reference
