// The modulation units driven directly, as a plain program would use them.
#include <gtest/gtest.h>

#include <vector>

#include "effects/units/tremolo/tremolo.h"
#include "tests/effects/units/unit_internals.h"

namespace ampliro::dsp {
namespace {

TEST(TremoloUnitTest, DepthZeroIsTheLevelledInput) {
    Tremolo t;
    ASSERT_TRUE(t.Init(44100));
    t.SetSpeed(32);
    t.SetLevel(48);
    t.SetDepth(0);
    std::vector<int16_t> block = {1000, -1000, 32767, -32768};
    const ClipReport r = t.Process(block.data(), block.size());
    EXPECT_EQ(block, (std::vector<int16_t>{750, -750, 24575, -24576}));
    EXPECT_EQ(r.lastClip, -1);
    EXPECT_EQ(r.calls, 4);
}

TEST(TremoloUnitTest, FullDepthFollowsTheSweepAndItsPhaseCarriesOver) {
    Tremolo t;
    ASSERT_TRUE(t.Init(44100));
    t.SetSpeed(32);  // 8 Hz: 1521 Q15 entries per sample
    t.SetLevel(64);
    t.SetDepth(64);
    // From phase 0 the unipolar table starts at its centre, 16384 (half).
    std::vector<int16_t> one(300, 20000), split(300, 20000);
    t.Process(one.data(), one.size());
    EXPECT_EQ(one[0], 10000);
    Tremolo u;
    u.Init(44100);
    u.SetSpeed(32);
    u.SetLevel(64);
    u.SetDepth(64);
    u.Process(split.data(), 7);
    u.Process(split.data() + 7, 293);
    EXPECT_EQ(split, one);
}

// At the sweep's lowest point (phase 192, value 1) full depth all but
// silences the input; at its top (phase 64, 32766) it passes x 32766 / 32768.
TEST(TremoloUnitTest, FullDepthAtTheSweepsEnds) {
    Tremolo t;
    ASSERT_TRUE(t.Init(44100));
    t.SetSpeed(32);
    t.SetLevel(64);
    t.SetDepth(64);
    EXPECT_EQ(UnitInternals::Lfo(t).increment, 1521);
    UnitInternals::Lfo(t).phase = 192 << 15;
    int16_t low[2] = {32767, -32768};
    t.Process(low, 2);
    EXPECT_EQ(low[0], 0);
    EXPECT_EQ(low[1], -1);
    UnitInternals::Lfo(t).phase = 64 << 15;
    UnitInternals::Lfo(t).increment = 0;
    int16_t top[1] = {20000};
    t.Process(top, 1);
    EXPECT_EQ(top[0], (20000 * 32766) >> 15);
}

TEST(TremoloUnitTest, WithoutATableTheSweepIsSilent) {
    Tremolo t;  // never initialised: no table
    t.SetLevel(64);
    t.SetDepth(64);
    int16_t block[3] = {1000, -2000, 3000};
    t.Process(block, 3);
    EXPECT_EQ(block[0], 0);
    EXPECT_EQ(block[1], 0);
    EXPECT_EQ(block[2], 0);
}

}  // namespace
}  // namespace ampliro::dsp
