#include <gtest/gtest.h>

#include "effects/pedals/chorus_pedal.h"

namespace ampliro {
namespace {

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

}  // namespace
}  // namespace ampliro
