// The two pieces that keep a playback queue on two clocks where it began:
// the judge of its level and the fade across a dropped or repeated block.
#include <gtest/gtest.h>

#include <vector>

#include "platform/audio/drift_judge.h"
#include "platform/audio/seam_fade.h"

namespace ampliro {
namespace {

// Readings of `level` every 100 samples until a window of 1000 ends.
int32_t Window(DriftJudge& judge, uint32_t level) {
    int32_t verdict = 0;
    for (int i = 0; i < 10; ++i) verdict = judge.Add(level, 100);
    return verdict;
}

TEST(DriftJudgeTest, ThreeQuartersOfABlockAwayFromTheFirstWindowTurnsTheVerdict) {
    DriftJudge judge;
    judge.Start(400, 1000);
    EXPECT_EQ(Window(judge, 1000), 0);  // the reference
    // Within three quarters of a block (300) either way: nothing to do.
    EXPECT_EQ(Window(judge, 1299), 0);
    EXPECT_EQ(Window(judge, 701), 0);
    EXPECT_EQ(Window(judge, 1300), 1);
    EXPECT_EQ(Window(judge, 700), -1);
    // The verdict comes at the end of a window only, from its mean.
    EXPECT_EQ(judge.Add(5000, 500), 0);
    EXPECT_EQ(judge.Add(1000, 500), 1);  // mean 3000
}

TEST(DriftJudgeTest, ARestartForgetsTheWindowButKeepsTheReference) {
    DriftJudge judge;
    judge.Start(400, 1000);
    EXPECT_EQ(Window(judge, 1000), 0);
    judge.Add(9000, 900);
    judge.Restart();
    EXPECT_EQ(Window(judge, 1000), 0);
    EXPECT_EQ(Window(judge, 1400), 1);
    judge.Start(400, 1000);  // a new reference
    EXPECT_EQ(Window(judge, 1400), 0);
    // A longer cushion raises the reference by as much: what stands above it
    // is still trimmed.
    judge.Raise(200);
    EXPECT_EQ(Window(judge, 1600), 0);
    EXPECT_EQ(Window(judge, 1900), 1);
    EXPECT_EQ(Window(judge, 1301), 0);
}

TEST(SeamFadeTest, ThirtyTwoSamplesInAStraightLineFromWhatWouldHavePlayed) {
    SeamFade fade;
    const std::vector<int16_t> from(32, 3200);
    fade.Begin(from.data(), 32);
    std::vector<int16_t> out(40, 0);
    fade.Apply(out.data(), 10);
    fade.Apply(out.data() + 10, 30);
    // Sample i is (3200 (32 - i) + 0 i) / 32 = 100 (32 - i).
    for (int i = 0; i < 32; ++i) EXPECT_EQ(out[i], 100 * (32 - i)) << i;
    for (int i = 32; i < 40; ++i) EXPECT_EQ(out[i], 0) << i;
}

TEST(SeamFadeTest, AShortSourceFadesFromSilenceForTheRestAndCancelStopsIt) {
    SeamFade fade;
    const int16_t from[4] = {-32768, -32768, -32768, -32768};
    fade.Begin(from, 4);
    std::vector<int16_t> out(32, 32767);
    fade.Apply(out.data(), 32);
    EXPECT_EQ(out[0], -32768);
    EXPECT_EQ(out[3], (-32768 * 29 + 32767 * 3) / 32);
    EXPECT_EQ(out[4], 32767 * 4 / 32);
    EXPECT_EQ(out[31], 32767 * 31 / 32);
    fade.Begin(from, 4);
    fade.Cancel();
    std::vector<int16_t> untouched(8, 7);
    fade.Apply(untouched.data(), 8);
    EXPECT_EQ(untouched, std::vector<int16_t>(8, 7));
}

}  // namespace
}  // namespace ampliro
