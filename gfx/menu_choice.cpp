#include <algorithm>
#include <cstring>
#include <memory>

#include "display/display.h"
#include "gfx/font.h"
#include "gfx/menu.h"
#include "gfx/surface.h"
#include "platform/system/clock.h"

namespace ampliro {
namespace {

constexpr uint32_t kAnimationFrameMs = 20;
constexpr int32_t kAnimationStep = 10;
constexpr int32_t kTitleRoom = 18;

void Darken(Surface* s, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    FillRect(s, left, top, right, bottom, 0x0000, 16);
}

// One animation frame: the snapshot with one rectangle darkened, shown for
// at least 20 ms.
void AnimationFrame(Display* display, const Surface* snapshot, const MessageRect& r) {
    const uint32_t start = Milliseconds();
    if (display->BeginScene()) {
        if (Surface* s = display->GetBackBuffer()) {
            CopySurface(s, snapshot);
            Darken(s, r.left, r.top, r.right, r.bottom);
        }
        display->Present(0);
    }
    while (Milliseconds() - start < kAnimationFrameMs) SleepMilliseconds(1);
}

void Layout(ChoiceMenu* menu, int32_t W, int32_t H) {
    const bool titled = menu->title[0] != '\0';
    const int32_t room = (H + (titled ? 0 : kTitleRoom) - 58) / std::max(menu->itemPitch, 1);
    const int32_t v = std::max(1, std::min(menu->items.count, room));
    menu->visibleCount = v;
    const int32_t x = (W - menu->itemWidth) >> 1;
    int32_t y0 = (H - menu->itemHeight - (v - 1) * menu->itemPitch) >> 1;
    if (titled) y0 += 9;
    menu->rect = {x - 5, y0 - (titled ? kTitleRoom : 0) - 15, x + menu->itemWidth + 5,
                  y0 + menu->itemHeight + (v - 1) * menu->itemPitch + 16};
    menu->firstVisible = std::clamp(menu->firstVisible, 0, menu->items.count - v);

    ButtonBar* bar = &menu->bar;
    const MessageRect& r = menu->rect;
    ResetBar(bar);
    SetBarFlags(bar, kBarNoWrap);
    SetBarFont(bar, menu->buttonFont);
    const int32_t ax = r.left + (r.right - r.left) / 2 - 20;
    AddButton(bar, kBarArrowUp, "", ax, y0 - 13, 40, 11, kBarButtonNoFocus);
    for (int32_t i = 0; i < v; ++i) {
        AddButton(bar, i + 1, menu->items.labels[menu->firstVisible + i], x,
                  y0 + i * menu->itemPitch, menu->itemWidth, menu->itemHeight,
                  i == 0 ? kBarButtonFocused : 0);
    }
    AddButton(bar, kBarArrowDown, "", ax, r.bottom - 14, 40, 11, kBarButtonNoFocus);
    SetFocusButton(bar, std::clamp(menu->focus, 1, v));
}

void SetHidden(BarButton& b, bool hidden) {
    b.flags = hidden ? (b.flags | kBarButtonHidden) : (b.flags & ~kBarButtonHidden);
}

void DrawMenu(ChoiceMenu* menu, Display* display, const Surface* snapshot, int32_t W) {
    ButtonBar* bar = &menu->bar;
    const int32_t v = menu->visibleCount;
    for (int32_t i = 0; i < v; ++i)
        bar->buttons[i + 1].label = menu->items.labels[menu->firstVisible + i];
    SetHidden(bar->buttons[0], menu->firstVisible == 0);
    SetHidden(bar->buttons[v + 1], menu->firstVisible + v >= menu->items.count);
    if (!display->BeginScene()) return;
    if (Surface* s = display->GetBackBuffer()) {
        const MessageRect& r = menu->rect;
        CopySurface(s, snapshot);
        FrameRect(s, r.left - 1, r.top - 1, r.right + 1, r.bottom + 1, menu->innerFrameColour);
        FrameRect(s, r.left - 2, r.top - 2, r.right + 2, r.bottom + 2, menu->outerFrameColour);
        FillRect(s, r.left, r.top, r.right, r.bottom, 0x0000, menu->showThrough);
        DrawBar(bar, s);
        if (menu->title[0]) {
            if (menu->titleFont) {
                const int32_t x = (W - TextWidth(menu->titleFont, menu->title)) / 2;
                DrawColourText(menu->titleFont, s, x, r.top + 3, menu->title, menu->titleColour, 0);
            } else {
                const int32_t x = (W - static_cast<int32_t>(std::strlen(menu->title)) * 8) / 2;
                DrawSystemText(s, x, r.top + 3, menu->title, menu->titleColour);
            }
        }
    }
    display->Present(0);
}

void OpeningAnimation(Display* display, const Surface* snapshot, const MessageRect& r) {
    const int32_t cw = (r.right - r.left) / 2;
    const int32_t ch = (r.bottom - r.top) / 2;
    const int32_t cy = r.top + ch;
    for (int32_t k = 1; k < cw; k += kAnimationStep) {
        AnimationFrame(display, snapshot, {r.left + cw - k, cy - 1, r.left + cw + k, cy + 1});
    }
    for (int32_t k = 1; k < ch; k += kAnimationStep) {
        AnimationFrame(display, snapshot, {r.left, cy - k, r.right, cy + k});
    }
}

void ClosingAnimation(Display* display, const Surface* snapshot, const MessageRect& r) {
    const int32_t cw = (r.right - r.left) / 2;
    const int32_t ch = (r.bottom - r.top) / 2;
    const int32_t cy = r.top + ch;
    for (int32_t off = ch, top = r.top; off > 0; off -= kAnimationStep, top += kAnimationStep) {
        AnimationFrame(display, snapshot, {r.left, top, r.right, cy + off});
    }
    for (int32_t n = cw, left = r.left; n >= 0; n -= kAnimationStep, left += kAnimationStep) {
        AnimationFrame(display, snapshot, {left, cy - 1, r.left + cw + n, cy + 1});
    }
}

}  // namespace

int32_t RunChoiceMenu(ChoiceMenu* menu, Display* display, const char* title, const char* itemList,
                      uint32_t flags) {
    if (!display) return 0;
    const char* t = title ? title : "";
    const size_t titleLength = strnlen(t, kMaxMenuTitle);
    std::memcpy(menu->title, t, titleLength);
    menu->title[titleLength] = '\0';
    ParseMenuItems(&menu->items, itemList);
    if (menu->items.count == 0) return 0;
    const DisplayParams params = display->GetParams();
    Layout(menu, params.width, params.height);

    const std::unique_ptr<Surface> snapshot(GrabScreen(display, 0, 0));
    if (!snapshot) return 0;
    if (flags & kMenuOpenAnimation) OpeningAnimation(display, snapshot.get(), menu->rect);

    int32_t chosen = 0;
    if (flags & kMenuRun) {
        for (;;) {
            DrawMenu(menu, display, snapshot.get(), params.width);
            const int32_t r = RunModal(&menu->bar, display);
            if (r == kBarQuit) return kBarQuit;
            if (r == kBarArrowDown && menu->firstVisible + menu->visibleCount < menu->items.count) {
                ++menu->firstVisible;
            }
            if (r == kBarArrowUp && menu->firstVisible > 0) --menu->firstVisible;
            if (r > 0) {
                chosen = r;
                break;
            }
        }
        menu->focus = FocusedButton(&menu->bar) - 1;
    }
    if (flags & kMenuCloseAnimation) ClosingAnimation(display, snapshot.get(), menu->rect);
    ShowSurface(display, snapshot.get());
    if (chosen == 0) return 0;
    return menu->items.codes[menu->firstVisible + chosen - 1];
}

}  // namespace ampliro
