// The chorus, phaser and parametric EQ units driven directly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "effects/units/chorus/chorus.h"
#include "effects/units/parametric_eq/parametric_eq.h"
#include "effects/units/phaser/phaser.h"

namespace ampliro::dsp {
namespace {

TEST(ChorusUnitTest, DepthZeroIsASixSampleComb) {
    Chorus c;
    ASSERT_TRUE(c.Init(44100));
    c.SetSpeed(16.0f);
    c.SetDepth(0);
    c.SetFeedback(0);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(c.Step(i == 0 ? 1000 : 0), i == 0 || i == 6 ? 500 : 0) << i;
    }
}

TEST(ChorusUnitTest, FootswitchClearWaitsForTheAudioSide) {
    Chorus c;
    c.Init(44100);
    c.SetDepth(0);
    c.SetFeedback(64);
    c.Step(1000);  // y = 500, written 1000 + 500
    EXPECT_EQ(c.line()[0], 1500);
    c.RequestClear();
    EXPECT_EQ(c.line()[0], 1500);
    c.ApplyPendingClear();
    EXPECT_EQ(c.line()[0], 0);
}

TEST(PhaserUnitTest, DepthZeroPassesTheInputAndTuningFollowsTheRate) {
    Phaser p;
    p.Init(44100);
    p.SetSpeed(32);
    p.SetDepth(0);
    for (int i = 0; i < 50; ++i) EXPECT_EQ(p.Step(i * 100), i * 100);
    EXPECT_EQ(p.TuningWord(440), 440);
    p.Init(48000);
    EXPECT_EQ(p.TuningWord(440), 600);  // 440 x 32768 / 24000
    EXPECT_EQ(Phaser::AllpassCoefficient(440), 15527);
}

TEST(ParametricEqUnitTest, FirstBandPassSampleAndClipping) {
    ParametricEq eq;
    eq.Init(44100);
    eq.SetTuning(32.0f, 2600.0f);
    EXPECT_EQ(eq.freqCoef(), 189);
    EXPECT_EQ(eq.dampCoef(), 325);
    EXPECT_EQ(eq.Step(1000), (1000 * 189) >> 10);
    EXPECT_EQ(eq.notch(), 1000);

    // Undamped, the filter resonates where 2 sin(pi F / fs) = f, about
    // 1300 Hz: a tone there grows without bound, the block saturates the wet
    // value and reports its last clipped sample, the block's last.
    ParametricEq ring;
    ring.Init(44100);
    ring.SetTuning(64.0f, 2600.0f);
    ring.SetGain(64);
    ring.SetLevel(64);
    ring.SetMix(64);
    std::vector<int16_t> block(2000);
    for (size_t i = 0; i < block.size(); ++i) {
        block[i] = static_cast<int16_t>(16000 * std::sin(2 * 3.14159265 * 1299 * i / 44100.0));
    }
    const ClipReport report = ring.Process(block.data(), block.size());
    EXPECT_EQ(report.calls, 2000);
    EXPECT_GT(report.lastClip, 1900);
    EXPECT_EQ(*std::max_element(block.begin(), block.end()), 32767);
    EXPECT_EQ(*std::min_element(block.begin(), block.end()), -32768);
}

}  // namespace
}  // namespace ampliro::dsp
