// The device screen in a window of any size: an integer scale, centred, and
// the pen and the wheel mapped back through the same placement.
#include <SDL.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "display/display.h"
#include "gfx/surface.h"
#include "platform/window/event_translation.h"
#include "platform/window/message_queue.h"
#include "platform/window/messages.h"
#include "platform/window/screen_placement.h"
#include "platform/window/window.h"

namespace ampliro {
namespace {

TEST(ScreenPlacementTest, LargestIntegerScaleCentredWithAnyRemainder) {
    ScreenPlacement p = PlaceScreen(240, 320, 240, 320);
    EXPECT_EQ(p.scale, 1);
    EXPECT_EQ(p.left, 0);
    EXPECT_EQ(p.top, 0);
    // 1000 x 700: the height allows 2 (640), the width 4; 2 it is.
    p = PlaceScreen(240, 320, 1000, 700);
    EXPECT_EQ(p.scale, 2);
    EXPECT_EQ(p.left, (1000 - 480) / 2);
    EXPECT_EQ(p.top, 30);
    // A full-HD screen: 3, and a 4K one: 6, with no upper limit.
    EXPECT_EQ(PlaceScreen(240, 320, 1920, 1080).scale, 3);
    EXPECT_EQ(PlaceScreen(240, 320, 3840, 2160).scale, 6);
    EXPECT_EQ(PlaceScreen(240, 240, 1920, 1080).scale, 4);
    // Smaller than the screen: 1, from the corner.
    p = PlaceScreen(240, 320, 200, 100);
    EXPECT_EQ(p.scale, 1);
    EXPECT_EQ(p.left, 0);
    EXPECT_EQ(p.top, 0);
    EXPECT_EQ(PlaceScreen(0, 320, 100, 100).scale, 1);
}

TEST(ScreenPlacementTest, WindowPixelsMapToDevicePixelsRoundingDown) {
    EXPECT_EQ(WindowToDevice(260, 20, 2), 120);
    EXPECT_EQ(WindowToDevice(261, 20, 2), 120);
    EXPECT_EQ(WindowToDevice(20, 20, 2), 0);
    EXPECT_EQ(WindowToDevice(19, 20, 2), -1);  // in the margin, left of the screen
    EXPECT_EQ(WindowToDevice(16, 20, 2), -2);
    EXPECT_EQ(WindowToDevice(7, 3, 1), 4);
}

uint16_t Pattern(int32_t x, int32_t y) {
    return static_cast<uint16_t>(((x * 37) ^ (y * 1021)) | 0x0821);  // never black
}

class ResizedWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetMessageQueue();
        WindowDescription d;
        d.title = "placement";
        d.width = kScreenWidth;
        d.height = kScreenHeight;
        d.procedure = DefWindowProc;
        window = Window::Create(d);
        ASSERT_NE(window, nullptr) << SDL_GetError();
        native = static_cast<SDL_Window*>(window->NativeHandle());
        ASSERT_NE(native, nullptr);
    }
    void TearDown() override {
        display.reset();
        Window::Destroy(window);
        ResetMessageQueue();
    }
    void Resize(int w, int h) {
        SDL_SetWindowSize(native, w, h);
        SDL_PumpEvents();  // the renderer takes the new size from the event
        int gotW = 0, gotH = 0;
        SDL_GetWindowSize(native, &gotW, &gotH);
        ASSERT_EQ(gotW, w);
        ASSERT_EQ(gotH, h);
    }
    // The next input message; the window's own paint and focus messages
    // (a resize brings them) are passed over.
    Message Next() {
        Message m{};
        while (PeekMessage(&m, true)) {
            if (m.message != WM_PAINT && m.message != WM_ACTIVATE) return m;
        }
        ADD_FAILURE() << "no input message";
        return Message{};
    }

    Window* window = nullptr;
    SDL_Window* native = nullptr;
    std::unique_ptr<Display> display;
};

TEST_F(ResizedWindowTest, TheWindowCanBeResizedButNotBelowTheScreen) {
    EXPECT_TRUE(SDL_GetWindowFlags(native) & SDL_WINDOW_RESIZABLE);
    int w = 0, h = 0;
    SDL_GetWindowMinimumSize(native, &w, &h);
    EXPECT_EQ(w, kScreenWidth);
    EXPECT_EQ(h, kScreenHeight);
}

// Shown only once it can draw: the renderer may replace a shown window by
// another (a flash, and an X id that goes).
TEST_F(ResizedWindowTest, TheWindowStaysHiddenUntilBroughtToTheFront) {
    EXPECT_TRUE(SDL_GetWindowFlags(native) & SDL_WINDOW_HIDDEN);
    window->BringToFront();
    EXPECT_FALSE(SDL_GetWindowFlags(native) & SDL_WINDOW_HIDDEN);
}

TEST_F(ResizedWindowTest, TheScreenIsShownCentredAtAnIntegerScaleInBlack) {
    display.reset(Display::Create(native, nullptr));
    ASSERT_NE(display, nullptr) << SDL_GetError();
    window->BringToFront();  // a window is made hidden, and shown once it can draw
    const int w = kScreenWidth * 2 + 41, h = kScreenHeight * 2 + 20;
    Resize(w, h);
    ASSERT_TRUE(display->BeginScene());
    Surface* back = display->GetBackBuffer();
    for (int32_t y = 0; y < back->height; ++y)
        for (int32_t x = 0; x < back->width; ++x) back->Row(y)[x] = Pattern(x, y);
    ASSERT_EQ(display->Present(0), 1);
    std::vector<uint16_t> shown(static_cast<size_t>(w) * h);
    ASSERT_EQ(SDL_RenderReadPixels(SDL_GetRenderer(native), nullptr, SDL_PIXELFORMAT_RGB565,
                                   shown.data(), w * 2),
              0)
        << SDL_GetError();
    auto at = [&](int x, int y) { return shown[static_cast<size_t>(y) * w + x]; };
    const int left = 20, top = 10;  // 41 and 20 pixels to spare, halved
    // Device pixel (x, y) covers window pixels left + 2x .. left + 2x + 1:
    // sampled inside a grid of them (the software renderer's stretch may
    // blur the outermost rows), and the margins half-way out.
    int wrong = 0;
    for (int32_t y = 8; y < kScreenHeight - 8; y += 16) {
        for (int32_t x = 8; x < kScreenWidth - 8; x += 16) {
            if (at(left + 2 * x + 1, top + 2 * y + 1) != Pattern(x, y)) ++wrong;
        }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(at(left / 2, h / 2), 0x0000);
    EXPECT_EQ(at(w - 1 - left / 2, h / 2), 0x0000);
    EXPECT_EQ(at(w / 2, top / 2), 0x0000);
    EXPECT_EQ(at(w / 2, h - 1 - top / 2), 0x0000);
}

TEST_F(ResizedWindowTest, PenAndWheelPositionsFollowThePlacement) {
    Resize(kScreenWidth * 3 + 60, kScreenHeight * 3 + 10);  // scale 3, 30 and 5 over
    SDL_Event e{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.x = 30 + 3 * 100 + 2;
    e.button.y = 5 + 3 * 50;
    PostNativeEvent(window, &e);
    Message m = Next();
    EXPECT_EQ(m.message, WM_LBUTTONDOWN);
    EXPECT_EQ(m.lParam, PackPoint(100, 50));

    e = SDL_Event{};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.y = -2;  // two notches toward the user
    e.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
    e.wheel.mouseX = 30 + 3 * 7;
    e.wheel.mouseY = 5 + 3 * 9;
    PostNativeEvent(window, &e);
    m = Next();
    EXPECT_EQ(m.message, WM_MOUSEWHEEL);
    EXPECT_EQ(static_cast<int16_t>((m.wParam >> 16) & 0xFFFF), -2 * kWheelNotch);
    EXPECT_EQ(m.lParam, PackPoint(7, 9));

    // A natural-scrolling touchpad reports flipped: the same turn of the
    // content comes out the same.
    e.wheel.y = 1;
    e.wheel.direction = SDL_MOUSEWHEEL_FLIPPED;
    PostNativeEvent(window, &e);
    m = Next();
    EXPECT_EQ(static_cast<int16_t>((m.wParam >> 16) & 0xFFFF), -kWheelNotch);
}

TEST_F(ResizedWindowTest, F11SwitchesFullScreenAndIsNoDeviceKey) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = SDLK_F11;
    PostNativeEvent(window, &e);
    EXPECT_TRUE(SDL_GetWindowFlags(native) & SDL_WINDOW_FULLSCREEN_DESKTOP);
    e.key.repeat = 1;  // held: no flicker
    PostNativeEvent(window, &e);
    EXPECT_TRUE(SDL_GetWindowFlags(native) & SDL_WINDOW_FULLSCREEN_DESKTOP);
    e.type = SDL_KEYUP;
    e.key.repeat = 0;
    PostNativeEvent(window, &e);
    e.type = SDL_KEYDOWN;
    PostNativeEvent(window, &e);
    EXPECT_FALSE(SDL_GetWindowFlags(native) & SDL_WINDOW_FULLSCREEN);
    Message m{};
    while (PeekMessage(&m, true)) {
        EXPECT_FALSE(m.message >= WM_KEYDOWN && m.message <= WM_CHAR)
            << "F11 reached the program as message " << m.message;
    }
}

}  // namespace
}  // namespace ampliro
