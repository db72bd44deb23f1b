// Dialogs on the memory display, driven by messages posted before they run.
// A probe message reaches a window procedure of ours while a dialog runs, so
// a test can look at the screen and the dialog's state in the middle.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <vector>

#include "display/memory_display.h"
#include "gfx/font.h"
#include "gfx/surface.h"
#include "platform/window/message_queue.h"
#include "platform/window/messages.h"
#include "platform/window/window.h"

namespace ampliro {

inline constexpr uint32_t kProbeMessage = 0x400;

class DialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetMessageQueue();
        BuildBlendTable();
        WindowDescription d;
        d.procedure = &Procedure;
        d.native = false;
        d.width = kScreenWidth;
        d.height = kScreenHeight;
        window = Window::Create(d);
        ASSERT_NE(window, nullptr);
        Probes().clear();
        ASSERT_TRUE(display.BeginScene());
        Clear(display.GetBackBuffer(), kBackground);
        display.Present(0);
    }
    void TearDown() override {
        Window::Destroy(window);
        ResetMessageQueue();
    }

    // One probe per probe message, in the order they were posted.
    static std::deque<std::function<void()>>& Probes() {
        static std::deque<std::function<void()>> probes;
        return probes;
    }
    static intptr_t Procedure(Window*, uint32_t message, uintptr_t, uintptr_t) {
        if (message == kProbeMessage && !Probes().empty()) {
            const std::function<void()> probe = std::move(Probes().front());
            Probes().pop_front();
            probe();
        }
        return 0;
    }

    void Post(uint32_t message, uintptr_t wParam = 0, uintptr_t lParam = 0) {
        PostMessage(nullptr, message, wParam, lParam);
    }
    void Key(uint32_t key) {
        Post(WM_KEYDOWN, key);
        Post(WM_KEYUP, key);
    }
    void Tap(int32_t x, int32_t y) {
        Post(WM_LBUTTONDOWN, 0, PackPoint(x, y));
        Post(WM_LBUTTONUP, 0, PackPoint(x, y));
    }
    void PostProbe(std::function<void()> probe) {
        Probes().push_back(std::move(probe));
        PostMessage(window, kProbeMessage, 0, 0);
    }
    uint16_t Shown(int32_t x, int32_t y) const { return display.PresentedPixel(x, y); }

    // A font of solid 6 x 8 cells, so text shows as blocks of its colour.
    BitmapFont* TestFont() {
        if (!font.strip) {
            font.strip = CreateSurface(8, 8);
            Clear(font.strip, 0xFFFF);
            font.height = 8;
            font.glyphCount = 255;
            for (int c = 0; c < 256; ++c) font.widths[c] = 6;
        }
        return &font;
    }

    static constexpr uint16_t kBackground = 0x1234;
    MemoryDisplay display;
    Window* window = nullptr;
    BitmapFont font;
};

}  // namespace ampliro
