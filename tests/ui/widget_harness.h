// Test helpers: widgets that record what they receive, and a desktop on a
// memory display without a window.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "display/memory_display.h"
#include "gfx/font.h"
#include "gfx/surface.h"
#include "platform/window/messages.h"
#include "tests/ui/screen_fixture.h"
#include "ui/desktop.h"

namespace ampliro::testing {

struct Received {
    uint32_t message;
    uintptr_t wParam;
    uintptr_t lParam;
};

// A plain widget that records every message and passes it on.
class RecordingWidget : public Widget {
  public:
    int HandleMessage(uint32_t message, uintptr_t wParam, uintptr_t lParam) override {
        received.push_back({message, wParam, lParam});
        if (message == WM_PAINT && fill) {
            int32_t l = x, t = y;
            ToScreen(l, t);
            FillRect(reinterpret_cast<Surface*>(wParam), l, t, l + width - 1, t + height - 1,
                     colour, 0);
            paintOrder->push_back(this);
        }
        return DefaultProc(message, wParam, lParam);
    }
    int Count(uint32_t message) const {
        int n = 0;
        for (const Received& r : received) n += r.message == message;
        return n;
    }
    const Received* Last(uint32_t message) const {
        for (auto it = received.rbegin(); it != received.rend(); ++it)
            if (it->message == message) return &*it;
        return nullptr;
    }
    std::vector<Received> received;
    bool fill = false;
    uint16_t colour = 0;
    std::vector<Widget*>* paintOrder = &ownOrder;
    std::vector<Widget*> ownOrder;
};

// The commands a control sends to its parent.
struct Command {
    uint16_t id;
    uint16_t code;
    uintptr_t lParam;
};

class CommandSink : public Widget {
  public:
    int HandleMessage(uint32_t message, uintptr_t wParam, uintptr_t lParam) override {
        if (message == WM_COMMAND) {
            commands.push_back({static_cast<uint16_t>(wParam & 0xFFFF),
                                static_cast<uint16_t>(wParam >> 16), lParam});
            if (onCommand) onCommand();
        }
        return DefaultProc(message, wParam, lParam);
    }
    std::vector<Command> commands;
    std::function<void()> onCommand;
};

// A font whose every printable character is a solid block 6 wide, 10 high.
inline std::unique_ptr<BitmapFont> MakeBlockFont() {
    auto font = std::make_unique<BitmapFont>();
    font->height = 10;
    font->glyphCount = 95;
    font->strip = CreateSurface(6 * 95, 10);
    Clear(font->strip, 0x001F);
    for (int c = 32; c < 127; ++c) {
        font->offsets[c] = static_cast<uint16_t>((c - 32) * 6);
        font->widths[c] = 6;
    }
    font->keyColour = 0;  // coverage glyphs, tinted with the text colour
    return font;
}

// A desktop attached to a 240 x 320 memory display, with no window.
struct DesktopFixture {
    DesktopFixture() {
        BuildBlendTable();
        desktop.Attach(&display, nullptr);
    }
    ~DesktopFixture() {
        desktop.Reset();
        if (CurrentDesktop == &desktop) CurrentDesktop = nullptr;
    }
    // child at (x, y) in parent's coordinates, w x h, added after the
    // children parent has.
    static void Place(Widget& parent, Widget& child, int32_t x, int32_t y, int32_t w, int32_t h) {
        child.SetBounds(x, y, w, h);
        parent.AddChild(&child);
    }
    int Pen(uint32_t message, int32_t x, int32_t y) {
        return desktop.HandleMessage(message, 0, PackPoint(x, y));
    }
    // One frame painted on a black screen; returns the presented frame.
    const Surface& Paint() {
        display.BeginScene();
        Clear(display.GetBackBuffer(), 0x0000);
        desktop.Render(nullptr);
        return display.Presented();
    }
    uint16_t Pixel(int32_t x, int32_t y) const { return display.PresentedPixel(x, y); }

    MemoryDisplay display{240, 320};
    Desktop desktop;
};

}  // namespace ampliro::testing
