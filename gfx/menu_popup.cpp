#include <algorithm>
#include <cstring>
#include <memory>

#include "display/display.h"
#include "gfx/font.h"
#include "gfx/menu.h"
#include "gfx/surface.h"
#include "platform/system/clock.h"
#include "platform/window/message_queue.h"
#include "platform/window/messages.h"

namespace ampliro {
namespace {

bool HasMarker(const char* label) {
    return label[0] == '*' || label[0] == '?';
}

int32_t PenX(uintptr_t lParam) {
    return static_cast<int16_t>(lParam & 0xFFFF);
}
int32_t PenY(uintptr_t lParam) {
    return static_cast<int16_t>((lParam >> 16) & 0xFFFF);
}

// Draws text up to (not including) stop, or to its end.
void DrawPart(PopupMenu* p, Surface* s, int32_t x, int32_t y, const char* text, const char* stop,
              uint16_t colour) {
    char buffer[kMaxMenuItemList + 1];
    const size_t length = stop ? static_cast<size_t>(stop - text) : std::strlen(text);
    std::memcpy(buffer, text, length);
    buffer[length] = '\0';
    DrawColourText(p->font, s, x, y, buffer, colour, 0);
}

void Layout(PopupMenu* p, int32_t x, int32_t y) {
    int32_t maxw = 0;
    int32_t tabw = 0;
    bool marked = false;
    for (int32_t k = 0; k < p->items.count; ++k) {
        const char* label = p->items.labels[k];
        maxw = std::max(maxw, TextWidth(p->font, label));
        if (const char* tab = std::strchr(label, '\t'))
            tabw = std::max(tabw, TextWidth(p->font, tab + 1));
        // A marker moves the text 10 pixels right: the box grows with it.
        marked = marked || HasMarker(label) || label[0] == '#';
    }
    p->width = maxw + (marked ? 20 : 10);
    if (tabw > 0) p->width += 10;
    p->itemHeight = p->font->height;
    const int32_t g = p->itemHeight * p->items.count;
    if (p->flags & kPopupOpenUpward)
        y = std::max(y - g, 5);
    else if (y + g >= p->screenHeight - 5)
        y = p->screenHeight - g - 5;
    if (x + p->width >= p->screenWidth - 5) x = p->screenWidth - p->width - 5;
    p->left = x;
    p->top = y;
    p->secondColumnX = x + p->width - tabw - 5;
    p->rect = {x, y, x + p->width + 1, y + g};
}

void Draw(PopupMenu* p, Display* display) {
    if (!display->BeginScene()) return;
    Surface* s = display->GetBackBuffer();
    if (s) {
        const MessageRect& r = p->rect;
        FrameRect(s, r.left - 1, r.top - 1, r.right + 1, r.bottom + 1, p->innerFrame);
        FrameRect(s, r.left - 2, r.top - 2, r.right + 2, r.bottom + 2, p->outerFrame);
        FillRect(s, r.left, r.top, r.right, r.bottom, p->background, 0);
        const int32_t ih = p->itemHeight;
        if (p->hovered) {
            FillRect(s, r.left, p->top + (p->hovered - 1) * ih, r.right, p->top + p->hovered * ih,
                     p->highlightBackground, 0);
        }
        for (int32_t k = 0; k < p->items.count; ++k) {
            const char* label = p->items.labels[k];
            const int32_t y = p->top + k * ih;
            if (label[0] == '\0') {
                HLine(s, p->left, y + ih / 2, p->width, 0x0000);
                continue;
            }
            int32_t textX = p->left + 5;
            if (HasMarker(label)) {
                const int32_t my = y + ((ih - 5) >> 1) + 1;
                if (label[0] == '*')
                    FillRect(s, p->left + 5, my, p->left + 10, my + 5, 0x0000, 0);
                else
                    FrameRect(s, p->left + 5, my, p->left + 10, my + 5, 0x0000);
                textX = p->left + 15;
                ++label;
            }
            const uint16_t colour = p->hovered == k + 1 ? p->highlightText : p->text;
            const char* tab = std::strchr(label, '\t');
            DrawPart(p, s, textX, y, label, tab, colour);
            if (tab) DrawPart(p, s, p->secondColumnX, y, tab + 1, nullptr, colour);
        }
    }
    display->Present(0);
}

// The item under the pen, 1-based, when it can be chosen; 0 otherwise.
int32_t ItemAt(const PopupMenu* p, int32_t x, int32_t y) {
    const MessageRect& r = p->rect;
    if (x < r.left || x >= r.right || y < r.top || y >= r.bottom || p->itemHeight <= 0) return 0;
    const int32_t k = (y - r.top) / p->itemHeight;
    if (k >= p->items.count || p->items.codes[k] == 0) return 0;
    return k + 1;
}

}  // namespace

void SetPopupColours(PopupMenu* popup, uint16_t background, uint16_t text,
                     uint16_t highlightBackground, uint16_t innerFrame, uint16_t outerFrame,
                     uint16_t highlightText) {
    popup->background = background;
    popup->text = text;
    popup->highlightBackground = highlightBackground;
    popup->innerFrame = innerFrame;
    popup->outerFrame = outerFrame;
    popup->highlightText = highlightText;
}

void SetPopupFont(PopupMenu* popup, BitmapFont* font) {
    popup->font = font;
}

int32_t RunPopup(PopupMenu* popup, Display* display, int32_t x, int32_t y, const char* itemList) {
    if (!display || !popup->font || !itemList || itemList[0] == '\0') return 0;
    ParseMenuItems(&popup->items, itemList);
    if (popup->items.count == 0) return 0;
    const DisplayParams params = display->GetParams();
    popup->screenWidth = params.width;
    popup->screenHeight = params.height;
    popup->hovered = 0;
    Layout(popup, x, y);

    const std::unique_ptr<Surface> snapshot(GrabScreen(display, 0, 0));
    Draw(popup, display);
    int32_t code = 0;
    for (;;) {
        Message msg;
        if (!PeekMessage(&msg, true)) {
            SleepMilliseconds(1);
            continue;
        }
        if (msg.message == WM_QUIT) {
            PostQuitMessage(0);
            break;
        }
        // The wheel would scroll the list under the open menu: dropped too.
        if (msg.message == WM_PAINT || (msg.message >= WM_KEYDOWN && msg.message <= WM_CHAR) ||
            msg.message == WM_MOUSEWHEEL) {
            continue;
        }
        if (msg.message == WM_LBUTTONDOWN || msg.message == WM_MOUSEMOVE) {
            const int32_t item = ItemAt(popup, PenX(msg.lParam), PenY(msg.lParam));
            if (item != popup->hovered) {
                popup->hovered = item;
                Draw(popup, display);
            }
            continue;
        }
        if (msg.message == WM_LBUTTONUP) {
            const int32_t px = PenX(msg.lParam);
            const int32_t py = PenY(msg.lParam);
            const MessageRect& r = popup->rect;
            if (px < r.left || px >= r.right || py < r.top || py >= r.bottom) break;
            const int32_t item = ItemAt(popup, px, py);
            if (item == 0) continue;
            popup->penX = px;
            popup->penY = py;
            code = popup->items.codes[item - 1];
            break;
        }
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
    if (snapshot) CrossFade(display, snapshot.get(), 0);
    return code;
}

}  // namespace ampliro
