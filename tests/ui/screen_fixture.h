// A desktop on the memory display with a window that shows nothing, so
// screens and controls can be driven with messages and their output read
// back: the queue's messages, the widgets' state and the painted pixels.
#pragma once

#include <memory>
#include <vector>

#include "display/memory_display.h"
#include "gfx/font.h"
#include "gfx/surface.h"
#include "platform/window/message_queue.h"
#include "platform/window/messages.h"
#include "platform/window/window.h"
#include "ui/desktop.h"

namespace ampliro::testing {

// Every listed glyph is a solid block of its width, so the painted pixels
// show exactly where each character went.
inline void MakeBlockFont(BitmapFont* font, int glyphWidth, int spaceWidth, int height) {
    font->height = static_cast<uint8_t>(height);
    delete font->strip;
    font->strip = CreateSurface(16, height);
    Clear(font->strip, 0xFFFF);
    for (int c = 32; c < 127; ++c) font->widths[c] = static_cast<uint16_t>(glyphWidth);
    font->widths[' '] = static_cast<uint16_t>(spaceWidth);
    font->keyColour = 0;
}

// Glyphs are blended at 31/32, so ink is within a step or two of its colour.
inline bool Ink(uint16_t pixel, uint16_t colour) {
    auto near = [](int a, int b, int tolerance) {
        return a - b <= tolerance && b - a <= tolerance;
    };
    return near(pixel >> 11, colour >> 11, 1) &&
           near((pixel >> 5) & 0x3F, (colour >> 5) & 0x3F, 2) &&
           near(pixel & 0x1F, colour & 0x1F, 1);
}

class ScreenFixture {
  public:
    explicit ScreenFixture(int32_t width = 240, int32_t height = 320) : display(width, height) {
        BuildBlendTable();
        ResetMessageQueue();
        WindowDescription description;
        description.title = "test";
        description.width = width;
        description.height = height;
        description.procedure = DefWindowProc;
        description.native = false;
        window = Window::Create(description);
        desktop.Attach(&display, window);
        MakeBlockFont(&font, 5, 3, 10);
        desktop.SetCaptionFont(&font);
    }
    ~ScreenFixture() {
        desktop.Reset();
        if (CurrentDesktop == &desktop) CurrentDesktop = nullptr;
        Window::Destroy(window);
        ResetMessageQueue();
    }

    // Everything waiting in the queue, oldest first; the queue is left empty.
    std::vector<Message> Drain() {
        std::vector<Message> out;
        Message m;
        while (PeekMessage(&m, true)) {
            if (m.message != WM_TIMER) out.push_back(m);
        }
        return out;
    }
    // Hands every queued key and character message to the desktop, as the
    // window procedure would.
    void Deliver() {
        for (const Message& m : Drain()) {
            if (m.message >= WM_KEYDOWN && m.message <= WM_CHAR)
                desktop.HandleMessage(m.message, m.wParam, m.lParam);
        }
    }
    int Pen(uint32_t message, int32_t x, int32_t y) {
        return desktop.HandleMessage(message, reinterpret_cast<uintptr_t>(&desktop),
                                     PackPoint(x, y));
    }
    void Tap(int32_t x, int32_t y) {
        Pen(WM_LBUTTONDOWN, x, y);
        Pen(WM_LBUTTONUP, x, y);
    }
    // Paints the tree into a fresh frame and returns it.
    Surface* Paint(uint16_t background = 0x0000) {
        display.BeginScene();
        Surface* surface = display.GetBackBuffer();
        Clear(surface, background);
        desktop.HandleMessage(WM_PAINT, reinterpret_cast<uintptr_t>(surface), 0);
        return surface;
    }

    MemoryDisplay display;
    Window* window = nullptr;
    Desktop desktop;
    BitmapFont font;
};

}  // namespace ampliro::testing
