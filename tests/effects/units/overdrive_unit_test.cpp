// The overdrive unit driven directly, as a plain program would use it.
#include "effects/units/overdrive/overdrive.h"
#include "tests/effects/units/unit_internals.h"

#include <gtest/gtest.h>

#include <vector>

namespace ampliro::dsp {
namespace {

TEST(OverdriveUnitTest, ThresholdFollowsSaturation) {
    EXPECT_EQ(Overdrive::ThresholdFor(0), 32767);
    EXPECT_EQ(Overdrive::ThresholdFor(32), 11264);
    EXPECT_EQ(Overdrive::ThresholdFor(64), 4208);
}

// 4208 + (28560 x 4208 >> 15); below zero the arithmetic shift rounds down,
// one further out.
TEST(OverdriveUnitTest, FullSaturationPeaksAt7875) {
    Overdrive od;
    od.SetSaturation(64);
    od.SetDrive(0);
    EXPECT_EQ(UnitInternals::Clip(od, 32767), 7875);
    EXPECT_EQ(UnitInternals::Clip(od, -32768), -7876);
}

TEST(OverdriveUnitTest, ClipperAtDefaults) {
    Overdrive od;
    EXPECT_EQ(UnitInternals::Threshold(od), 11264);
    EXPECT_EQ(UnitInternals::Clip(od, 10000), 18656);
    EXPECT_EQ(UnitInternals::Clip(od, -10000), -18656);
    EXPECT_EQ(UnitInternals::Clip(od, 1000), 4114);
    // Beyond 16 bits the output is that of the range's end.
    EXPECT_EQ(UnitInternals::Clip(od, 1 << 20), UnitInternals::Clip(od, 32767));
}

TEST(OverdriveUnitTest, BlockIsToneStackThenClipperAndGainsSurviveInit) {
    Overdrive od;
    od.SetTone(32, 32, 32);
    od.Init(44100);
    std::vector<int16_t> block = {1000, 10000, -10000, 0, 0, 0};
    od.Process(block.data(), block.size());
    EXPECT_EQ(block, (std::vector<int16_t>{0, 0, 0, 4114, 18656, -18656}));
    od.SetTone(0, 64, 7);
    od.Init(48000);
    EXPECT_EQ(UnitInternals::Tone(od).lowGain, 0);
    EXPECT_EQ(UnitInternals::Tone(od).midGain, 64);
    EXPECT_EQ(UnitInternals::Tone(od).highGain, 7);
}

// Settings no knob can give (a damaged preset) are held to the knobs' range.
TEST(OverdriveUnitTest, OutOfRangeSettingsAreClamped) {
    Overdrive wild, edge;
    wild.SetDrive(1000);
    wild.SetSaturation(-40);
    edge.SetDrive(64);
    edge.SetSaturation(0);
    EXPECT_EQ(UnitInternals::Threshold(wild), 32767);
    for (int32_t x : {-32768, -20000, -1, 0, 1, 777, 16000, 32767}) {
        EXPECT_EQ(UnitInternals::Clip(wild, x), UnitInternals::Clip(edge, x)) << x;
    }
    // Without saturation only the drive and the final clamp remain.
    EXPECT_EQ(UnitInternals::Clip(edge, 1000), 2000);
    EXPECT_EQ(UnitInternals::Clip(edge, 20000), 32767);
    EXPECT_EQ(UnitInternals::Clip(edge, -20000), -32768);
    edge.SetDrive(0);
    EXPECT_EQ(UnitInternals::Clip(edge, 12345), 12345);
}

}  // namespace
}  // namespace ampliro::dsp
