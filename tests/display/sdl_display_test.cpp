#include "display/sdl_display.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "display/display.h"
#include "gfx/surface.h"

namespace ampliro {
namespace {

class SdlDisplayTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
        window = SDL_CreateWindow("test", 0, 0, kScreenWidth, kScreenHeight, 0);
        ASSERT_NE(window, nullptr) << SDL_GetError();
    }
    void TearDown() override {
        display.reset();
        if (window) SDL_DestroyWindow(window);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    SDL_Window* window = nullptr;
    std::unique_ptr<Display> display;
};

uint16_t Pattern(int32_t x, int32_t y) {
    return static_cast<uint16_t>((x * 37) ^ (y * 1021) ^ ((x & y) << 11));
}

TEST_F(SdlDisplayTest, PresentsThePatternExactlyAtAnIntegerScale) {
    DisplayParams params;
    display.reset(Display::Create(window, &params));
    ASSERT_NE(display, nullptr) << SDL_GetError();
    EXPECT_EQ(params.width, kScreenWidth);
    EXPECT_EQ(params.height, kScreenHeight);
    EXPECT_EQ(params.swapEffect, SWAP_DISCARD);
    const int32_t scale = display->Scale();
    ASSERT_GE(scale, 1);
    ASSERT_LE(scale, 3);
    int w = 0, h = 0;
    SDL_GetWindowSize(window, &w, &h);
    EXPECT_EQ(w, kScreenWidth * scale);
    EXPECT_EQ(h, kScreenHeight * scale);

    EXPECT_EQ(display->GetBackBuffer(), nullptr);
    ASSERT_TRUE(display->BeginScene());
    Surface* back = display->GetBackBuffer();
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(back->width, kScreenWidth);
    for (int32_t y = 0; y < back->height; ++y) {
        for (int32_t x = 0; x < back->width; ++x) back->Row(y)[x] = Pattern(x, y);
    }
    ASSERT_EQ(display->Present(0), 1);
    EXPECT_EQ(display->GetBackBuffer(), nullptr);

    SDL_Renderer* renderer = SDL_GetRenderer(window);
    ASSERT_NE(renderer, nullptr);
    std::vector<uint16_t> shown(static_cast<size_t>(w) * h);
    ASSERT_EQ(SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_RGB565, shown.data(), w * 2),
              0)
        << SDL_GetError();
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            ASSERT_EQ(shown[static_cast<size_t>(y) * w + x], Pattern(x / scale, y / scale))
                << x << "," << y;
        }
    }
}

TEST_F(SdlDisplayTest, NoFrameWhileInactiveOrHidden) {
    display.reset(Display::Create(window, nullptr));
    ASSERT_NE(display, nullptr);
    display->SetActive(false);
    EXPECT_EQ(display->BeginScene(), 0);
    EXPECT_EQ(display->GetBackBuffer(), nullptr);
    EXPECT_EQ(display->Present(0), 0);
    display->SetActive(true);
    EXPECT_NE(display->BeginScene(), 0);
    EXPECT_EQ(display->Present(2), 1);
    SDL_HideWindow(window);
    EXPECT_EQ(display->BeginScene(), 0);
    SDL_ShowWindow(window);
    EXPECT_NE(display->BeginScene(), 0);
    EXPECT_EQ(display->Present(0), 1);
}

TEST(DisplayCreateTest, NoWindowNoDisplay) {
    EXPECT_EQ(Display::Create(nullptr, nullptr), nullptr);
}

TEST(FittingScaleTest, LargestScaleUpToThreeThatFits) {
    EXPECT_EQ(FittingScale(240, 320, 1920, 1080), 3);
    EXPECT_EQ(FittingScale(240, 320, 1366, 768), 2);
    EXPECT_EQ(FittingScale(240, 320, 800, 600), 1);
    EXPECT_EQ(FittingScale(240, 320, 200, 200), 1);
    EXPECT_EQ(FittingScale(240, 240, 3000, 3000), 3);
}

}  // namespace
}  // namespace ampliro
