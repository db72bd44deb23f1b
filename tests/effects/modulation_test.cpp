#include <gtest/gtest.h>

#include <vector>

#include "effects/pedals/chorus_pedal.h"
#include "effects/pedals/phaser_pedal.h"
#include "effects/pedals/tremolo_pedal.h"

namespace ampliro {
namespace {

TEST(ChorusTest, DepthZeroIsASixSampleComb) {
    ChorusPedal c;
    c.Init(44100, 2);
    c.SetChorus(16.0f, 0, 0);
    std::vector<int32_t> out;
    for (int i = 0; i < 10; ++i) out.push_back(c.ProcessSample(i == 0 ? 1000 : 0));
    // y = (x + x delayed by 6) / 2: the read sits D - mi + 6 = 6 behind.
    for (int i = 0; i < 10; ++i) EXPECT_EQ(out[i], i == 0 || i == 6 ? 500 : 0) << i;
}

TEST(ChorusTest, ReadPositionFollowsTheSweepAndWrapsBelowZero) {
    ChorusPedal c;
    c.Init(44100, 2);
    c.SetChorus(16.0f, 64, 0);
    // At phase 0 the bipolar LFO is 0: the read is D + 6 = 70 samples back,
    // at index 1024 - 70 = 954 for the first sample (a wrap below zero).
    c.buffer[954] = 4000;
    EXPECT_EQ(c.ProcessSample(0), 2000);
    // A quarter period on, the LFO peaks at 32766: m = 32766 x 64, mi = 63,
    // frac = 32640, so the read is 64 - 63 + 6 = 7 back, interpolated with
    // the next entry.
    ChorusPedal top;
    top.Init(44100, 2);
    top.SetChorus(16.0f, 64, 0);
    top.lfo.phase = 64 << 15;
    top.writePos = 100;
    top.buffer[93] = 32768 / 2;
    top.buffer[94] = 0;
    const int32_t m = top.lfo.TableAt(64) * 64;
    const int32_t frac = m - ((m >> 15) << 15);
    EXPECT_EQ(frac, 32640);
    const int32_t d = static_cast<int32_t>((int64_t(16384) * (32768 - frac)) >> 15);
    EXPECT_EQ(top.ProcessSample(0), d >> 1);
}

TEST(ChorusTest, FeedbackAndFootswitchClear) {
    ChorusPedal c;
    c.Init(44100, 2);
    c.SetChorus(16.0f, 0, 64);
    c.ProcessSample(1000);  // y = 500, written 1000 + 500
    EXPECT_EQ(c.buffer[0], 1500);
    c.enabled = 1;
    c.OnControl(12, 0);
    EXPECT_EQ(c.enabled, 0);
    int16_t none[1] = {0};
    c.ProcessBlock(none, 1);  // the clear is applied by the audio side
    EXPECT_EQ(c.buffer[0], 0);
}

TEST(ChorusTest, DamagedDepthIsHeldInsideTheBuffer) {
    ChorusPedal c;
    c.Init(44100, 2);
    c.SetChorus(64.0f, 100000, 64);
    EXPECT_EQ(c.depth, 64);
    c.SetChorus(-5.0f, -3, -1);
    EXPECT_EQ(c.speed, 1.0f);
    EXPECT_EQ(c.depth, 0);
    EXPECT_EQ(c.feedback, 0);
}

TEST(PhaserTest, CoefficientRangeAt44100) {
    EXPECT_EQ(PhaserPedal::AllpassCoefficient(440), 15527);
    EXPECT_EQ(PhaserPedal::AllpassCoefficient(1599), 13470);
    PhaserPedal p;
    p.Init(44100, 5);
    int32_t lo = 1 << 30, hi = -(1 << 30);
    for (int i = 0; i < 44100 * 2; ++i) {
        p.ProcessSample(0);
        lo = std::min(lo, p.stages[0].coefficient);
        hi = std::max(hi, p.stages[0].coefficient);
    }
    EXPECT_EQ(hi, 15527);
    EXPECT_EQ(lo, 13470);
}

TEST(PhaserTest, TuningWordsPerRate) {
    PhaserPedal p;
    p.Init(44100, 5);
    EXPECT_EQ(p.TuningWord(440), 440);
    p.Init(22050, 5);
    EXPECT_EQ(p.TuningWord(440), 880);
    p.Init(48000, 5);
    EXPECT_EQ(p.TuningWord(440), 600);
    p.Init(8000, 5);
    EXPECT_EQ(p.TuningWord(1600), 13107);
}

TEST(PhaserTest, DepthZeroGivesTheInputAndFeedbackIsClamped) {
    PhaserPedal p;
    p.Init(44100, 5);
    p.depth = 0;
    for (int i = 0; i < 100; ++i) EXPECT_EQ(p.ProcessSample(i * 100), i * 100);
    PhaserPedal loud;
    loud.Init(44100, 5);
    loud.feedback = 64;
    loud.depth = 64;
    for (int i = 0; i < 20000; ++i) {
        const int32_t y = loud.ProcessSample(i % 40 < 20 ? 32767 : -32768);
        ASSERT_GE(y, -32768);
        ASSERT_LE(y, 32767);
    }
}

TEST(TremoloTest, DepthEndpoints) {
    TremoloPedal t;
    t.Init(44100, 8);
    EXPECT_EQ(t.lfo.increment, 1521);
    t.enabled = 1;
    t.SetTremolo(32, 0);
    std::vector<int16_t> block = {1000, -1000, 32767, -32768};
    t.ProcessBlock(block.data(), 4);
    EXPECT_EQ(block, (std::vector<int16_t>{750, -750, 24575, -24576}));

    TremoloPedal full;
    full.Init(44100, 8);
    full.enabled = 1;
    full.level = 64;
    full.SetTremolo(32, 64);
    full.lfo.phase = 192 << 15;  // the LFO's lowest point, value 1
    int16_t low[2] = {32767, -32768};
    full.ProcessBlock(low, 2);
    EXPECT_EQ(low[0], 0);
    EXPECT_EQ(low[1], -1);
    full.lfo.phase = 64 << 15;  // the top, 32766
    int16_t top[1] = {20000};
    full.lfo.increment = 0;
    full.ProcessBlock(top, 1);
    EXPECT_EQ(top[0], (20000 * 32766) >> 15);
}

TEST(TremoloTest, RateKnobSetsTheLfo) {
    TremoloPedal t;
    t.Init(44100, 8);
    t.OnControl(2, 1);  // a four-second period
    EXPECT_EQ(t.lfo.increment, static_cast<int32_t>((256 << 15) * 0.25f / 44100.0f));
    t.OnControl(3, 40);
    EXPECT_EQ(t.mix, 40);
}

}  // namespace
}  // namespace ampliro
