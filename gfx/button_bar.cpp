#include "gfx/button_bar.h"

#include <cstring>
#include <memory>

#include "display/display.h"
#include "gfx/font.h"
#include "gfx/surface.h"
#include "platform/system/clock.h"
#include "platform/window/message_queue.h"
#include "platform/window/messages.h"
#include "platform/window/window.h"

namespace ampliro {
namespace {

constexpr uint16_t kBevelDark = 0x4208;
constexpr uint16_t kBevelMid = 0x630C;
constexpr uint16_t kBevelLight = 0xFFFF;
constexpr uint16_t kBevelShade = 0x8410;
constexpr uint32_t kModalFrameMs = 10;

bool Usable(const BarButton& b) {
    return !(b.flags & (kBarButtonHidden | kBarButtonDisabled));
}

bool Contains(const BarButton& b, int32_t x, int32_t y) {
    return x >= b.left && x < b.right && y >= b.top && y < b.bottom;
}

int32_t PenX(uintptr_t lParam) {
    return static_cast<int16_t>(lParam & 0xFFFF);
}
int32_t PenY(uintptr_t lParam) {
    return static_cast<int16_t>((lParam >> 16) & 0xFFFF);
}

// First button under the point, hidden ones included; -1 for none.
int32_t HitTest(const ButtonBar* bar, uintptr_t lParam) {
    for (int32_t i = 0; i < bar->count; ++i) {
        if (Contains(bar->buttons[i], PenX(lParam), PenY(lParam))) return i;
    }
    return -1;
}

void DrawArrow(Surface* s, const BarButton& b, int32_t d, uint16_t colour) {
    const int32_t width = b.right - b.left;
    const int32_t cx = b.left + width / 2 + d;
    const int32_t y = b.top + (b.bottom - b.top - 5) / 2 + d;
    const int32_t h = width >= 32 ? 8 : width / 4;
    if (b.id == kBarArrowUp) {
        const int32_t points[8] = {cx, y, cx - h, y + 4, cx + h, y + 4, cx, y};
        Polyline(s, points, 4, colour);
    } else {
        const int32_t points[8] = {cx - h, y, cx + h, y, cx, y + 4, cx - h, y};
        Polyline(s, points, 4, colour);
    }
}

void DrawButton(Surface* s, const BarButton& b) {
    if (b.flags & kBarButtonHidden) return;
    const int32_t L = b.left, T = b.top, R = b.right, B = b.bottom;
    const bool focused = b.flags & kBarButtonFocused;
    const bool pressed = b.flags & kBarButtonPressed;
    FillRect(s, L, T, R, B, focused ? b.colours[kBarFocusedFill] : b.colours[kBarFill], 0);
    if (pressed) FillRect(s, L, T, R, B, 0x0000, 28);
    FrameRect(s, L, T, R, B, focused ? b.colours[kBarFocusedFrame] : b.colours[kBarFrame]);
    if (pressed) {
        HLine(s, L + 1, B - 1, R - L - 2, kBevelLight);
        VLine(s, R - 1, T + 1, B - T - 2, kBevelLight);
        HLine(s, L + 1, T + 1, R - L - 2, kBevelDark);
        VLine(s, L + 1, T + 1, B - T - 2, kBevelDark);
        HLine(s, L + 2, T + 2, R - L - 3, kBevelShade);
        VLine(s, L + 2, T + 2, B - T - 3, kBevelShade);
    } else {
        HLine(s, L + 1, B - 1, R - L - 2, kBevelDark);
        VLine(s, R - 1, T + 1, B - T - 2, kBevelDark);
        HLine(s, L + 1, B - 2, R - L - 3, kBevelMid);
        VLine(s, R - 2, T + 1, B - T - 3, kBevelMid);
        HLine(s, L + 1, T + 1, R - L - 3, kBevelLight);
        VLine(s, L + 1, T + 1, B - T - 3, kBevelLight);
    }
    // The content of a pressed button sinks by a pixel.
    const int32_t d = pressed ? 1 : 0;
    const bool disabled = b.flags & kBarButtonDisabled;
    if (b.id == kBarArrowUp || b.id == kBarArrowDown) {
        DrawArrow(s, b, d, disabled ? b.colours[kBarDisabledText] : b.colours[kBarText]);
        return;
    }
    const uint16_t colour = disabled  ? b.colours[kBarDisabledText]
                            : focused ? b.colours[kBarFocusedText]
                                      : b.colours[kBarText];
    if (b.font) {
        const int32_t x = L + (R - L - TextWidth(b.font, b.label)) / 2 + d;
        const int32_t y = T + (B - T - b.font->height) / 2 + d;
        DrawColourText(b.font, s, x, y, b.label, colour, 0);
    } else {
        const int32_t length = static_cast<int32_t>(std::strlen(b.label));
        DrawSystemText(s, L + (R - L - length * 8) / 2 + d + 1, T + (B - T - 16) / 2 + d + 1,
                       b.label, colour);
    }
}

int32_t MoveFocus(ButtonBar* bar, int32_t step) {
    if (bar->flags & kBarNoKeys) return 0;
    const int32_t cur = FocusedButton(bar) - 1;
    int32_t a = cur;
    for (int32_t tries = 0; tries < bar->count; ++tries) {
        a += step;
        if (a < 0) {
            if (bar->flags & kBarNoWrap) return kBarArrowUp;
            a = bar->count - 1;
        }
        if (a >= bar->count) {
            if (bar->flags & kBarNoWrap) return kBarArrowDown;
            a = 0;
        }
        if (a == cur) return 0;
        const uint16_t f = bar->buttons[a].flags;
        if (!(f & (kBarButtonHidden | kBarButtonDisabled | kBarButtonNoFocus))) {
            SetFocusButton(bar, a);
            return 0;
        }
    }
    return 0;
}

}  // namespace

void ResetBar(ButtonBar* bar) {
    bar->count = 0;
    bar->pressed = 0;
}

void SetBarFlags(ButtonBar* bar, uint32_t flags) {
    bar->flags = flags;
}

void SetBarFont(ButtonBar* bar, BitmapFont* font) {
    bar->font = font;
}

int AddButton(ButtonBar* bar, int32_t id, const char* label, int32_t x, int32_t y, int32_t width,
              int32_t height, uint16_t flags) {
    if (bar->count >= kMaxBarButtons) return 0;
    BarButton& b = bar->buttons[bar->count++];
    b.left = x;
    b.top = y;
    b.right = x + width;
    b.bottom = y + height;
    b.flags = flags;
    b.id = id;
    b.font = bar->font;
    std::memcpy(b.colours, bar->colours, sizeof b.colours);
    b.label = label ? label : "";
    return 1;
}

int FindButton(const ButtonBar* bar, int32_t id) {
    for (int32_t i = 0; i < bar->count; ++i) {
        if (bar->buttons[i].id == id) return i + 1;
    }
    return 0;
}

int EnableButton(ButtonBar* bar, int32_t id, int enable) {
    const int number = FindButton(bar, id);
    if (!number) return 0;
    uint16_t& flags = bar->buttons[number - 1].flags;
    flags = enable ? (flags & ~kBarButtonDisabled) : (flags | kBarButtonDisabled);
    return number;
}

int FocusedButton(const ButtonBar* bar) {
    for (int32_t i = 0; i < bar->count; ++i) {
        if (bar->buttons[i].flags & kBarButtonFocused) return i + 1;
    }
    return 0;
}

void SetFocusButton(ButtonBar* bar, int32_t index) {
    for (int32_t i = 0; i < bar->count; ++i) {
        if (i == index)
            bar->buttons[i].flags |= kBarButtonFocused;
        else
            bar->buttons[i].flags &= ~kBarButtonFocused;
    }
}

void DrawBar(const ButtonBar* bar, Surface* surface) {
    for (int32_t i = 0; i < bar->count; ++i) DrawButton(surface, bar->buttons[i]);
}

int32_t BarInput(ButtonBar* bar, uint32_t message, uintptr_t wParam, uintptr_t lParam) {
    switch (message) {
        case WM_KEYDOWN: {
            const int focused = FocusedButton(bar);
            if (wParam == VK_RETURN && focused && Usable(bar->buttons[focused - 1])) {
                bar->buttons[focused - 1].flags |= kBarButtonPressed;
                bar->pressed = focused;
            }
            return 0;
        }
        case WM_KEYUP:
            switch (wParam) {
                case VK_RETURN: {
                    const int focused = FocusedButton(bar);
                    if (!focused) return 0;
                    bar->pressed = 0;
                    bar->buttons[focused - 1].flags &= ~kBarButtonPressed;
                    return bar->buttons[focused - 1].id;
                }
                case VK_UP:
                    if (bar->flags & kBarKeysScroll) return kBarArrowUp;
                    return MoveFocus(bar, -1);
                case VK_DOWN:
                    if (bar->flags & kBarKeysScroll) return kBarArrowDown;
                    return MoveFocus(bar, +1);
                case VK_LEFT:
                    return MoveFocus(bar, -1);
                case VK_RIGHT:
                    return MoveFocus(bar, +1);
                default:
                    return 0;
            }
        case WM_MOUSEWHEEL:
            // A notch away from the user scrolls up, as the Up key does.
            if (!(bar->flags & kBarKeysScroll)) return 0;
            return static_cast<int16_t>((wParam >> 16) & 0xFFFF) > 0 ? kBarArrowUp : kBarArrowDown;
        case WM_MOUSEMOVE:
            if (bar->pressed) {
                BarButton& b = bar->buttons[bar->pressed - 1];
                if (Contains(b, PenX(lParam), PenY(lParam)))
                    b.flags |= kBarButtonPressed;
                else
                    b.flags &= ~kBarButtonPressed;
            }
            return 0;
        case WM_LBUTTONDOWN: {
            const int32_t hit = HitTest(bar, lParam);
            if (hit < 0 || !Usable(bar->buttons[hit])) return 0;
            if (!(bar->buttons[hit].flags & kBarButtonNoFocus)) SetFocusButton(bar, hit);
            bar->buttons[hit].flags |= kBarButtonPressed;
            bar->pressed = hit + 1;
            return 0;
        }
        case WM_LBUTTONUP: {
            if (!bar->pressed) return 0;
            BarButton& b = bar->buttons[bar->pressed - 1];
            b.flags &= ~kBarButtonPressed;
            bar->pressed = 0;
            return Contains(b, PenX(lParam), PenY(lParam)) ? b.id : 0;
        }
        default:
            return 0;
    }
}

int32_t RunModal(ButtonBar* bar, Display* display) {
    const std::unique_ptr<Surface> snapshot(GrabScreen(display, 0, 0));
    bool active = true;
    for (;;) {
        SleepMilliseconds(kModalFrameMs);
        if (active && display && display->BeginScene()) {
            Surface* back = display->GetBackBuffer();
            if (back) {
                if (snapshot) CopySurface(back, snapshot.get());
                DrawBar(bar, back);
            }
            display->Present(0);
        }
        Message msg;
        if (active) {
            if (!PeekMessage(&msg, true)) continue;
            if (msg.message == WM_QUIT) break;
        } else {
            const int got = GetMessage(&msg);
            if (got == 0) break;
            // Without an event source nothing would wake the wait: poll.
            if (got < 0) {
                active = true;
                continue;
            }
        }
        const int32_t r = BarInput(bar, msg.message, msg.wParam, msg.lParam);
        if (r != 0) return r;
        switch (msg.message) {
            case WM_ACTIVATE:
                active = (msg.wParam & 0xFFFF) != 0;
                break;
            case WM_PAINT:
            case WM_ERASEBKGND:
            case WM_KEYDOWN:
            case WM_KEYUP:
            case WM_MOUSEMOVE:
            case WM_LBUTTONDOWN:
            case WM_LBUTTONUP:
            case WM_MOUSEWHEEL:
                break;
            default:
                TranslateMessage(&msg);
                DispatchMessage(&msg);
                break;
        }
    }
    // The frame loop has to see the quit as well.
    PostQuitMessage(0);
    return kBarQuit;
}

}  // namespace ampliro
