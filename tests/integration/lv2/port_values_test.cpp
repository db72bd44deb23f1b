// The conversions at the plugin's ports, value by value.
#include "lv2/port_values.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace ampliro::lv2 {
namespace {

TEST(PortValues, EverySampleSurvivesTheRoundTripThroughFloat) {
    for (int32_t s = -32768; s <= 32767; ++s) {
        const float x = ToFloat(static_cast<int16_t>(s));
        ASSERT_EQ(x, s / 32768.0f);
        ASSERT_EQ(ToSample(x), s);
    }
}

TEST(PortValues, FloatsRoundToTheNearestSampleTiesToEven) {
    EXPECT_EQ(ToSample(0.5f), 16384);
    EXPECT_EQ(ToSample(1.5f / 32768), 2);
    EXPECT_EQ(ToSample(2.5f / 32768), 2);
    EXPECT_EQ(ToSample(-1.5f / 32768), -2);
    EXPECT_EQ(ToSample(0.4f / 32768), 0);
    EXPECT_EQ(ToSample(-0.6f / 32768), -1);
    EXPECT_EQ(ToSample(32766.5f / 32768), 32766);
}

TEST(PortValues, FloatsBeyondFullScaleSaturate) {
    EXPECT_EQ(ToSample(1.0f), 32767);
    EXPECT_EQ(ToSample(32767.4f / 32768), 32767);
    EXPECT_EQ(ToSample(-1.0f), -32768);
    EXPECT_EQ(ToSample(-1.00002f), -32768);
    EXPECT_EQ(ToSample(7.0f), 32767);
    EXPECT_EQ(ToSample(-1e30f), -32768);
}

TEST(PortValues, DamagedFloatsGiveNoUndefinedSample) {
    EXPECT_EQ(ToSample(std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(ToSample(-std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(ToSample(std::numeric_limits<float>::infinity()), 32767);
    EXPECT_EQ(ToSample(-std::numeric_limits<float>::infinity()), -32768);
    EXPECT_EQ(ToSample(std::numeric_limits<float>::denorm_min()), 0);
}

TEST(PortValues, ControlsTakeTheKnobsStepsWithinItsRange) {
    const ControlInfo delay{"delay", "Delay", 1, 3000, 500};
    float v = 120.0f;
    EXPECT_EQ(ToControl(&v, delay), 120);
    v = 120.4f;
    EXPECT_EQ(ToControl(&v, delay), 120);
    v = 120.5f;
    EXPECT_EQ(ToControl(&v, delay), 120);
    v = 121.5f;
    EXPECT_EQ(ToControl(&v, delay), 122);
    v = 0.0f;
    EXPECT_EQ(ToControl(&v, delay), 1);
    v = -5e9f;
    EXPECT_EQ(ToControl(&v, delay), 1);
    v = 3000.6f;
    EXPECT_EQ(ToControl(&v, delay), 3000);
    v = std::numeric_limits<float>::infinity();
    EXPECT_EQ(ToControl(&v, delay), 3000);
}

TEST(PortValues, AMissingOrNaNControlIsTheKnobsDefault) {
    const ControlInfo semitones{"semitones", "Semitones", -12, 12, 3};
    EXPECT_EQ(ToControl(nullptr, semitones), 3);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(ToControl(&nan, semitones), 3);
    const float low = -12.49f;
    EXPECT_EQ(ToControl(&low, semitones), -12);
}

}  // namespace
}  // namespace ampliro::lv2
