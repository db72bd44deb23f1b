#include <gtest/gtest.h>

#include <vector>

#include "effects/pedals/overdrive_pedal.h"

namespace ampliro {
namespace {

TEST(OverdriveTest, ThresholdFollowsSaturation) {
    EXPECT_EQ(OverdrivePedal::ThresholdFor(0), 32767);
    EXPECT_EQ(OverdrivePedal::ThresholdFor(32), 11264);
    EXPECT_EQ(OverdrivePedal::ThresholdFor(64), 4208);
    OverdrivePedal od;
    EXPECT_EQ(od.threshold, 11264);
    od.OnControl(2, 64);
    EXPECT_EQ(od.saturation, 64);
    EXPECT_EQ(od.threshold, 4208);
}

TEST(OverdriveTest, ProcessSampleAtDefaults) {
    OverdrivePedal od;
    EXPECT_EQ(od.level, 64);
    EXPECT_EQ(od.ProcessSample(10000), 18656);
    EXPECT_EQ(od.ProcessSample(-10000), -18656);
    EXPECT_EQ(od.ProcessSample(1000), 4114);
    EXPECT_EQ(od.ProcessSample(0), 0);
}

TEST(OverdriveTest, FullSaturationClipsAtThresholdAndPeaksAt7875) {
    OverdrivePedal od;
    od.SetSaturation(64);
    od.SetDrive(0);
    EXPECT_EQ(od.ProcessSample(32767), 7875);
    // The arithmetic shift rounds toward minus infinity: one more below.
    EXPECT_EQ(od.ProcessSample(-32768), -7876);
}

TEST(OverdriveTest, NoSaturationLeavesOnlyDriveAndTheFinalClamp) {
    OverdrivePedal od;
    od.SetSaturation(0);
    od.SetDrive(0);
    EXPECT_EQ(od.ProcessSample(12345), 12345);
    od.SetDrive(64);
    EXPECT_EQ(od.ProcessSample(1000), 2000);
    EXPECT_EQ(od.ProcessSample(20000), 32767);
    EXPECT_EQ(od.ProcessSample(-20000), -32768);
}

TEST(OverdriveTest, BlockRunsToneStackThenClipper) {
    OverdrivePedal od;
    od.Init(44100, 0);
    std::vector<int16_t> block = {1000, 10000, -10000, 0, 0, 0};
    const std::vector<int16_t> original = block;
    od.ProcessBlock(block.data(), 6);
    EXPECT_EQ(block, original);  // bypassed: bit exact

    od.enabled = 1;
    od.ProcessBlock(block.data(), 6);
    // Unity tone gains only delay by three samples before the clipper.
    EXPECT_EQ(block, (std::vector<int16_t>{0, 0, 0, 4114, 18656, -18656}));
}

}  // namespace
}  // namespace ampliro
