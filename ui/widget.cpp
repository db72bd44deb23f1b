#include "ui/widget.h"

#include <algorithm>
#include <cstring>

#include "gfx/font.h"
#include "gfx/text_codes.h"
#include "platform/window/message_queue.h"
#include "platform/window/messages.h"
#include "ui/desktop.h"

namespace ampliro {

Widget::~Widget() {
    Desktop* desktop = CurrentDesktop;
    if (!desktop) return;
    if (static_cast<const void*>(desktop) == static_cast<const void*>(this)) {
        CurrentDesktop = nullptr;
        return;
    }
    if (desktop->capture == this) desktop->capture = nullptr;
    if (desktop->focus == this) desktop->focus = nullptr;
    if (desktop->popup == this) desktop->popup = nullptr;
}

int Widget::HandleMessage(uint32_t, uintptr_t, uintptr_t) {
    return 0;
}

int Widget::DefaultProc(uint32_t message, uintptr_t wParam, uintptr_t lParam) {
    // Pen and wheel messages go to the widget under the pen (the desktop
    // routes them), commands to the parent: neither is handed down.
    if (message == WM_COMMAND || (message >= WM_MOUSEMOVE && message <= WM_LBUTTONUP) ||
        message == WM_MOUSEWHEEL)
        return 0;
    if (message == WM_PAINT && (flags & kPopup)) return 0;
    for (Widget* child = firstChild; child; child = child->nextSibling) {
        if (message == WM_PAINT && !(child->flags & kVisible)) continue;
        int result = child->HandleMessage(message, wParam, lParam);
        if (message == WM_PAINT) child->DrawCaption(reinterpret_cast<Surface*>(wParam));
        if (result) return result;
    }
    return 0;
}

void Widget::SetBounds(int32_t x, int32_t y, int32_t width, int32_t height) {
    this->x = x;
    this->y = y;
    this->width = width;
    this->height = height;
    HandleMessage(WM_SIZE, 0, PackPoint(width, height));
}

void Widget::AddChild(Widget* child) {
    child->parent = this;
    child->nextSibling = nullptr;
    child->previousSibling = lastChild;
    if (lastChild)
        lastChild->nextSibling = child;
    else
        firstChild = child;
    lastChild = child;
}

void Widget::RemoveChildren() {
    firstChild = nullptr;
    lastChild = nullptr;
}

void Widget::SetCaption(uint16_t id, const char* text, uint16_t placement) {
    this->id = id;
    caption = text;
    captionPlacement = placement;
}

void Widget::Notify(uint32_t message, uintptr_t wParam, uintptr_t lParam) {
    if (parent) parent->HandleMessage(message, wParam, lParam);
    if ((flags & kPostNotifications) && CurrentDesktop && CurrentDesktop->window)
        PostMessage(CurrentDesktop->window, message, wParam, lParam);
}

void Widget::DrawCaption(Surface* surface) const {
    if (!CurrentDesktop || !CurrentDesktop->captionFont || !(flags & kShowCaption) || !caption)
        return;
    BitmapFont* font = CurrentDesktop->captionFont;
    const int32_t textWidth = TextWidth(font, caption);
    const int32_t textHeight = font->height;
    const bool inside = captionPlacement & kPlaceInside;
    // Halving is an arithmetic shift, so an oversized caption sits half a
    // pixel further left or up rather than rounding toward the middle.
    const int32_t midX = x + ((width - textWidth) >> 1);
    const int32_t midY = y + ((height - textHeight) >> 1);
    int32_t tx = midX, ty = midY;
    if (captionPlacement & kPlaceLeft) {
        tx = inside ? x + 5 : x - textWidth - 5;
    } else if (captionPlacement & kPlaceRight) {
        tx = inside ? x + width - textWidth - 5 : x + width + 5;
    } else if (captionPlacement & kPlaceAbove) {
        ty = inside ? y + 5 : y - textHeight - 2;
    } else if (captionPlacement & kPlaceBelow) {
        ty = inside ? y + height - textHeight - 5 : y + height + 2;
    } else if (captionPlacement & kPlaceAboveLeft) {
        tx = inside ? x + 5 : x;
        ty = inside ? y + 5 : y - textHeight - 2;
    }
    if (inside && (captionPlacement & kPlacePressed)) {
        tx += 2;
        ty += 2;
    }
    ToScreen(tx, ty);
    if (std::strchr(caption, kLineBreak) == nullptr ||
        (captionPlacement & (kPlaceLeft | kPlaceRight | kPlaceAboveLeft))) {
        DrawColourText(font, surface, tx, ty, caption, captionColour, 0);
        return;
    }
    // A centred caption of several lines is a block centred as a whole, each
    // line centred on its own width (the font's pen would start every line
    // where the first began). Colour codes carry over from line to line.
    int32_t lines = 1;
    for (const char* c = caption; *c != '\0'; ++c) lines += *c == kLineBreak;
    // The first line stands where a single one would; the block grows away
    // from the edge it is placed against.
    const bool above = captionPlacement & kPlaceAbove;
    const bool below = captionPlacement & kPlaceBelow;
    if (!above && !below)
        ty -= ((lines - 1) * textHeight) >> 1;
    else if (above != inside)
        ty -= (lines - 1) * textHeight;
    const int32_t left = tx - (midX - x);
    uint16_t colour = captionColour;
    for (const char* line = caption; line != nullptr; ty += textHeight) {
        const char* end = std::strchr(line, kLineBreak);
        char text[96];
        const size_t length = std::min<size_t>(
            end ? static_cast<size_t>(end - line) : std::strlen(line), sizeof text - 1);
        std::memcpy(text, line, length);
        text[length] = '\0';
        const int32_t lineX = left + ((width - TextWidth(font, text)) >> 1);
        DrawColourText(font, surface, lineX, ty, text, colour, 0);
        colour = font->lastColour;
        line = end ? end + 1 : nullptr;
    }
}

void Widget::ToScreen(int32_t& px, int32_t& py) const {
    for (const Widget* o = parent; o; o = o->parent) {
        px += o->x;
        py += o->y;
    }
}

void Widget::ToLocal(int32_t& px, int32_t& py) const {
    for (const Widget* o = parent; o; o = o->parent) {
        px -= o->x;
        py -= o->y;
    }
    px -= x;
    py -= y;
}

}  // namespace ampliro
