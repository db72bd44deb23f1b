#include "ui/combo.h"

#include "gfx/font.h"
#include "gfx/surface.h"
#include "platform/window/messages.h"
#include "ui/desktop.h"
#include "ui/sprite_sheet.h"

namespace ampliro {

namespace {

constexpr int32_t kDefaultButtonWidth = 14;
constexpr int32_t kDefaultFontHeight = 16;
constexpr int32_t kTriangleHalfWidth = 3;

// Each RGB565 channel scaled by 3/4, kept within its own bits.
uint16_t ThreeQuarters(uint16_t c) {
    const uint32_t r = ((c >> 11) & 0x1F) * 3 / 4;
    const uint32_t g = ((c >> 5) & 0x3F) * 3 / 4;
    const uint32_t b = (c & 0x1F) * 3 / 4;
    return static_cast<uint16_t>((r << 11) | (g << 5) | b);
}

}  // namespace

Combo::Combo() {
    list.id = 1;
    list.SetFlags(0);
}

void Combo::Init(int32_t left, int32_t top, int32_t w, int32_t rowsShown, int32_t rowCapacity,
                 BitmapFont* font, const SpriteSheet* arrowSheet, const uint32_t* columnWidths,
                 int32_t columnCount) {
    const int32_t fontHeight = font ? font->height : kDefaultFontHeight;
    closedHeight_ = fontHeight + 4;
    SetBounds(left, top, w, closedHeight_);
    list.SetStyle(kListCached);
    list.SetFont(font);
    list.rowHeight = fontHeight + 3;
    list.SetArrowSheet(arrowSheet);
    list.SetBounds(0, closedHeight_, w, list.SetRowHeightFor(rowsShown));
    list.SetFlags(0);
    list.SetCapacity(rowCapacity);
    if (columnWidths) list.SetColumns(columnCount, columnWidths);
    if (!list.parent) AddChild(&list);
    const int32_t buttonWidth =
        arrowSheet && arrowSheet->cellWidth > 0 ? arrowSheet->cellWidth : kDefaultButtonWidth;
    dropButton = ScrollRect{w - buttonWidth, 0, w - 1, closedHeight_ - 1};
}

void Combo::SetColours(uint16_t text, uint16_t background, uint16_t border, uint16_t button) {
    list.textColour = text;
    list.backgroundColour = background;
    list.borderColour = border;
    list.scrollBar.thumbColour = button;
    list.scrollBar.thumbDraggedColour = ThreeQuarters(button);
    list.MarkDirty();
    buttonColour = button;
}

void Combo::Open() {
    if (open) return;
    SetBounds(x, y, width, closedHeight_ + list.height);
    open = true;
    // Visible, notifications posted, and able to take the focus so the
    // direction keys move through the open list.
    list.SetFlags(kVisible | kPostNotifications | kCanFocus);
    list.MarkDirty();
    savedCapture = SetCapture(this);
    SetPopup(this);
    SetFocus(&list);
}

void Combo::Close() {
    if (!open) return;
    SetBounds(x, y, width, closedHeight_);
    open = false;
    list.SetFlags(0);
    SetCapture(savedCapture);
    SetPopup(nullptr);
    SetFocus(nullptr);
}

void Combo::Paint(Surface* s) {
    int32_t ox = x, oy = y;
    ToScreen(ox, oy);
    const int32_t bottom = oy + closedHeight_ - 1;
    const int32_t buttonLeft = ox + dropButton.left;
    FillRect(s, ox, oy, buttonLeft - 1, bottom, list.backgroundColour, 0);
    FrameRect(s, ox, oy, ox + width - 1, bottom, list.borderColour);
    // The drop button, inset by 2, bevelled out when closed and in when open.
    const int32_t l = buttonLeft + 2, t = oy + 2, r = ox + dropButton.right - 2, b = bottom - 2;
    FillRect(s, l, t, r, b, buttonColour, 0);
    if (!open) {
        HLine(s, l, t, r - l, 0xC618);
        VLine(s, l, t, b - t, 0xC618);
        HLine(s, l, b, r - l, 0x4208);
        VLine(s, r, t, b - t, 0x4208);
        HLine(s, l + 1, b - 1, r - l - 2, 0x630C);
        VLine(s, r - 1, t + 1, b - t - 2, 0x630C);
    } else {
        HLine(s, l, t, r - l, 0x4208);
        VLine(s, l, t, b - t, 0x4208);
        HLine(s, l + 1, t + 1, r - l - 2, 0x8410);
        VLine(s, l + 1, t + 1, b - t - 2, 0x8410);
        HLine(s, l, b, r - l, 0xC618);
        VLine(s, r, t, b - t, 0xC618);
    }
    list.DrawRowColumns(s, ox, oy, list.GetSelection(), list.textColour, dropButton.left);
    const int32_t shift = open ? 1 : 0;
    const int32_t cx = ((l + r) >> 1) + shift;
    const int32_t cy = ((t + b) >> 1) - 1 + shift;
    const int32_t triangle[8] = {
        cx - kTriangleHalfWidth, cy, cx + kTriangleHalfWidth, cy, cx, cy + kTriangleHalfWidth,
        cx - kTriangleHalfWidth, cy};
    Polyline(s, triangle, 4, list.textColour);
}

int Combo::HandleMessage(uint32_t message, uintptr_t wParam, uintptr_t lParam) {
    switch (message) {
        case WM_PAINT:
            Paint(reinterpret_cast<Surface*>(wParam));
            break;
        case WM_LBUTTONDOWN:
            if (open)
                Close();
            else
                Open();
            return 0;
        case WM_LBUTTONUP: {
            const uint32_t px = lParam & 0xFFFF, py = (lParam >> 16) & 0xFFFF;
            if (px >= static_cast<uint32_t>(width) || py >= static_cast<uint32_t>(height)) Close();
            return 0;
        }
        case WM_COMMAND:
            if ((wParam & 0xFFFF) == list.id) {
                const uint32_t code = static_cast<uint32_t>(wParam >> 16);
                if (code == kListSelectionChanged)
                    Notify(WM_COMMAND, MakeCommand(id, kListSelectionChanged),
                           reinterpret_cast<uintptr_t>(this));
                else if (code == kListPenLifted)
                    Close();
            }
            return 0;
        default:
            break;
    }
    return DefaultProc(message, wParam, lParam);
}

}  // namespace ampliro
