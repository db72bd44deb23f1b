#include "display/memory_display.h"

#include <gtest/gtest.h>

#include "gfx/surface.h"

namespace ampliro {
namespace {

TEST(MemoryDisplayTest, FramesFollowTheBeginPresentProtocol) {
    MemoryDisplay display;
    EXPECT_EQ(display.GetParams().width, kScreenWidth);
    EXPECT_EQ(display.GetParams().height, kScreenHeight);
    EXPECT_EQ(display.GetBackBuffer(), nullptr);
    EXPECT_EQ(display.Present(0), 0);
    ASSERT_TRUE(display.BeginScene());
    Surface* back = display.GetBackBuffer();
    ASSERT_NE(back, nullptr);
    Clear(back, 0xF800);
    EXPECT_EQ(display.PresentedPixel(0, 0), 0);
    EXPECT_EQ(display.Present(2), 1);
    EXPECT_EQ(display.PresentedPixel(kScreenWidth - 1, kScreenHeight - 1), 0xF800);
    EXPECT_EQ(display.LastPresentFlags(), 2u);
    EXPECT_EQ(display.PresentCount(), 1);
    EXPECT_EQ(display.GetBackBuffer(), nullptr);
}

TEST(MemoryDisplayTest, InactiveDisplaysBeginNoFrame) {
    MemoryDisplay display(240, 240);
    display.SetActive(false);
    EXPECT_EQ(display.BeginScene(), 0);
    EXPECT_EQ(display.BeginCount(), 0);
    display.SetActive(true);
    EXPECT_EQ(display.BeginScene(), 1);
    EXPECT_EQ(display.Presented().height, 240);
}

TEST(DefaultKeysTest, ArrowsTurnWithTheOrientation) {
    uint16_t keys[16];
    DefaultKeys(keys, 0);
    const uint16_t expected[16] = {38, 40, 37, 39, 13, 32, 17, 16, 0, 0, 0, 0, 0, 0, 0, 0};
    for (int i = 0; i < 16; ++i) EXPECT_EQ(keys[i], expected[i]) << i;
    DefaultKeys(keys, 1);
    EXPECT_EQ(keys[0], 37);  // up := old left
    EXPECT_EQ(keys[1], 39);  // down := old right
    EXPECT_EQ(keys[2], 40);  // left := old down
    EXPECT_EQ(keys[3], 38);  // right := old up
    DefaultKeys(keys, 2);
    EXPECT_EQ(keys[0], 40);
    EXPECT_EQ(keys[2], 39);
    DefaultKeys(keys, 3);
    EXPECT_EQ(keys[0], 39);
    EXPECT_EQ(keys[1], 37);
    EXPECT_EQ(keys[2], 38);
    EXPECT_EQ(keys[3], 40);
    EXPECT_EQ(keys[4], 13);
    DefaultKeys(keys, 5);
    EXPECT_EQ(keys[0], 37);
}

}  // namespace
}  // namespace ampliro
