#include "gfx/message_box.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "display/display.h"
#include "gfx/font.h"
#include "gfx/surface.h"
#include "gfx/text_codes.h"

namespace ampliro {
namespace {

constexpr uint16_t kDefaultColours[4] = {0xFFE0, 0x0000, 0xFFFF, 0xFFE0};
constexpr int32_t kSystemFontHeight = 16;

int32_t FontHeight(const BitmapFont* font) {
    return font ? font->height : kSystemFontHeight;
}

// The colour in force after text[0..end): the last complete colour code.
uint16_t ColourAt(const char* text, int32_t end, uint16_t colour) {
    for (size_t i = 0; i < static_cast<size_t>(end);) {
        if (text[i] != kColourCode) {
            ++i;
            continue;
        }
        const size_t next = SkipColourCode(text, i);
        if (next - i == kColourCodeLength) colour = ParseColourCode(text + i);
        i = next;
    }
    return colour;
}

// Breaks the text into lines of the given width; a closing "\r" is not shown.
void BreakLines(MessageBox* box, int32_t width) {
    box->lineCount = 0;
    const char* text = box->text;
    for (int32_t at = 0; text[at] != '\0' && box->lineCount < kMaxMessageLines;) {
        const int32_t taken = box->textFont ? FitText(box->textFont, text + at, width)
                                            : FitSystemText(text + at, width);
        if (taken <= 0) break;
        MessageLine& line = box->lines[box->lineCount++];
        line.start = at;
        line.length = taken;
        if (text[at + taken - 1] == '\r') --line.length;
        at += taken;
    }
}

void DrawLine(MessageBox* box, Surface* s, int32_t x, int32_t y, const MessageLine& line,
              uint16_t colour) {
    char buffer[kMaxMessageLineLength + 1];
    const int32_t length = std::min(line.length, kMaxMessageLineLength);
    std::memcpy(buffer, box->text + line.start, static_cast<size_t>(length));
    buffer[length] = '\0';
    if (box->textFont)
        DrawColourText(box->textFont, s, x, y, buffer, colour, 0);
    else
        DrawSystemText(s, x, y, buffer, colour);
}

void AddButtons(MessageBox* box, uint32_t flags) {
    ButtonBar* bar = &box->bar;
    ResetBar(bar);
    SetBarFlags(bar, 0);
    SetBarFont(bar, box->buttonFont);
    const int32_t R = box->box.right;
    const int32_t y = box->box.bottom - 25;
    const bool second = (flags & kMessageFocusSecond) != 0;
    const uint16_t first = second ? 0 : kBarButtonFocused;
    const uint16_t other = second ? kBarButtonFocused : 0;
    if (flags & kMessageOkCancel) {
        AddButton(bar, kMessageOk, "Ok", R - 95, y, 30, 20, first);
        AddButton(bar, kMessageCancel, "Cancel", R - 60, y, 55, 20, other);
    } else if (flags & kMessageYesNo) {
        AddButton(bar, kMessageOk, "Yes", R - 70, y, 30, 20, first);
        AddButton(bar, kMessageCancel, "No", R - 35, y, 30, 20, other);
    } else {
        AddButton(bar, kMessageOk, "Ok", R - 35, y, 30, 20,
                  (flags & kMessageDontShowAgain) ? first : kBarButtonFocused);
        if (flags & kMessageDontShowAgain) {
            AddButton(bar, kMessageCancel, "Don't show me again!", R - 160, y, 120, 20, other);
        }
    }
    if (box->visibleLines < box->lineCount) {
        // The arrows never take the focus, from the pen or the keys: Up and
        // Down scroll the text, and Enter stays on the default button.
        SetBarFlags(bar, kBarKeysScroll);
        const int32_t a = (box->visibleLines * FontHeight(box->textFont) - 2) >> 1;
        AddButton(bar, kBarArrowUp, "", R - 22, box->firstLineY, 17, a, kBarButtonNoFocus);
        AddButton(bar, kBarArrowDown, "", R - 22, box->firstLineY + a + 2, 17, a,
                  kBarButtonNoFocus);
    }
}

void Layout(MessageBox* box, const char* title, const MessageRect& rect, uint32_t flags,
            int32_t screenHeight) {
    MessageRect& r = box->box;
    r = rect;
    const int32_t fh = std::max(FontHeight(box->textFont), 1);
    BreakLines(box, r.right - r.left - 10);
    const int32_t ts = title ? FontHeight(box->titleFont) + 5 : 0;
    const int32_t room = ts + 30;
    int32_t u = (r.bottom - r.top - room) / fh;
    if (u < 3) {
        r.bottom = r.top + 2 * fh + room;
        u = 2;
    }
    // Too long to show at once: narrower lines leave room for the arrows.
    if (box->lineCount >= u) BreakLines(box, r.right - r.left - 30);
    box->visibleLines = u;
    box->firstLineY = r.top + ts + 5;
    r.bottom = box->firstLineY + std::min(box->lineCount, u) * fh + 35;
    if (flags & kMessageCentre) {
        const int32_t top = (r.top + screenHeight - r.bottom) >> 1;
        r.bottom += top - r.top;
        box->firstLineY += top - r.top;
        r.top = top;
    }
}

// Draws the box over the snapshot; false when no frame can be drawn.
bool DrawBox(MessageBox* box, Display* display, const Surface* snapshot, const char* title) {
    if (!display->BeginScene()) return false;
    Surface* s = display->GetBackBuffer();
    if (!s) {
        display->Present(0);
        return false;
    }
    const uint16_t* c = box->colours ? box->colours : kDefaultColours;
    const MessageRect& r = box->box;
    if (snapshot) CopySurface(s, snapshot);
    FrameRect(s, r.left - 1, r.top - 1, r.right + 1, r.bottom + 1, c[0]);
    FrameRect(s, r.left - 2, r.top - 2, r.right + 2, r.bottom + 2, c[1]);
    FillRect(s, r.left, r.top, r.right, r.bottom, c[1], kMessageShowThrough);
    if (title) {
        if (box->titleFont)
            DrawColourText(box->titleFont, s, r.left + 5, r.top + 5, title, c[3], 0);
        else
            DrawSystemText(s, r.left + 5, r.top + 5, title, c[3]);
    }
    const int32_t fh = FontHeight(box->textFont);
    const int32_t last = std::min(box->scroll + box->visibleLines, box->lineCount);
    // Colour codes carry over line breaks, also into the first line shown
    // after scrolling.
    uint16_t colour = c[2];
    if (box->scroll > 0 && box->scroll < box->lineCount) {
        colour = ColourAt(box->text, box->lines[box->scroll].start, colour);
    }
    for (int32_t k = 0, line = box->scroll; line < last; ++k, ++line) {
        DrawLine(box, s, r.left + 5, box->firstLineY + k * fh, box->lines[line], colour);
        if (box->textFont) colour = box->textFont->lastColour;
    }
    EnableButton(&box->bar, kBarArrowUp, box->scroll > 0);
    EnableButton(&box->bar, kBarArrowDown, box->scroll + box->visibleLines < box->lineCount);
    DrawBar(&box->bar, s);
    display->Present(0);
    return true;
}

}  // namespace

int32_t RunMessageBox(MessageBox* box, Display* display, const char* text, const char* title,
                      const MessageRect* rect, uint32_t flags) {
    if (!display) return 0;
    const DisplayParams params = display->GetParams();
    MessageRect area{20, 20, params.width - 20, params.height - 20};
    if (rect)
        area = *rect;
    else
        flags |= kMessageCentre;

    // Texts beyond the box's buffer are cut, never overrun.
    const char* source = text ? text : "";
    const size_t length = strnlen(source, kMaxMessageText);
    std::memcpy(box->text, source, length);
    box->text[length] = '\0';
    box->scroll = 0;
    Layout(box, title, area, flags, params.height);
    AddButtons(box, flags);

    const std::unique_ptr<Surface> snapshot(GrabScreen(display, 0, 0));
    for (;;) {
        if (!DrawBox(box, display, snapshot.get(), title)) return 0;
        const int32_t r = RunModal(&box->bar, display);
        if (r == kBarQuit) return kBarQuit;
        if (r == kBarArrowDown && box->scroll + box->visibleLines < box->lineCount) ++box->scroll;
        if (r == kBarArrowUp && box->scroll > 0) --box->scroll;
        if (r >= 1 && r <= 99) {
            ShowSurface(display, snapshot.get());
            return r;
        }
    }
}

}  // namespace ampliro
