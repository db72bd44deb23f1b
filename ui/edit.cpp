#include "ui/edit.h"

#include <algorithm>
#include <cstring>

#include "gfx/font.h"
#include "gfx/surface.h"
#include "platform/window/messages.h"
#include "ui/desktop.h"

namespace ampliro {

namespace {

int GlyphWidth(const BitmapFont* font, char c) {
    return font ? font->widths[static_cast<uint8_t>(c)] : 0;
}

// Pen x arrives as an unsigned 16-bit value; left of the field counts as 0.
int PenX(uintptr_t lParam) {
    const uint32_t x = static_cast<uint32_t>(lParam) & 0xFFFF;
    return x > 0x8000 ? 0 : static_cast<int>(x);
}

}  // namespace

void DrawLiteralText(BitmapFont* font, Surface* surface, int x, int y, const char* text, int count,
                     uint16_t colour, int clipLeft, int clipRight) {
    if (!font || !font->strip) return;
    for (int i = 0; i < count && text[i]; ++i) {
        const uint8_t c = static_cast<uint8_t>(text[i]);
        const int w = font->widths[c];
        if (w > 0 && c != ' ' && x >= clipLeft && x + w - 1 <= clipRight) {
            if (font->keyColour == 0)
                Blit(surface, x, y, w, font->height, font->strip, font->offsets[c], font->stripRow,
                     0, colour, kBlitTint);
            else
                Blit(surface, x, y, w, font->height, font->strip, font->offsets[c], font->stripRow,
                     0, font->keyColour, kBlitKey);
        }
        x += w;
    }
}

int LiteralWidth(const BitmapFont* font, const char* text, int count) {
    int width = 0;
    for (int i = 0; i < count && text[i]; ++i) width += GlyphWidth(font, text[i]);
    return width;
}

int LiteralFit(const BitmapFont* font, const char* text, int x) {
    int i = 0;
    int used = 0;
    int lastBreak = -1;
    while (text[i]) {
        const int w = used + GlyphWidth(font, text[i]);
        if (w >= x) break;
        ++i;
        if (text[i - 1] == ' ') lastBreak = i;
        used = w;
    }
    if (!text[i] || lastBreak < 0) return i;
    return lastBreak;
}

Edit::Edit() {
    kind = kKindEdit;
    flags = kVisible | kCanFocus;
}

void Edit::SetText(const char* newText) {
    const size_t n = newText ? strnlen(newText, static_cast<size_t>(maxLength)) : 0;
    std::memcpy(text, newText ? newText : "", n);
    text[n] = '\0';
    length = static_cast<int>(n);
    caret = length;
    selectionStart = selectionEnd = 0;
}

void Edit::SelectRange(int end) {
    selectionStart = 0;
    selectionEnd = (end < 0 || end > length) ? length : end;
}

void Edit::SetMaxLength(int characters) {
    maxLength = std::clamp(characters, 0, kCapacity);
    if (length > maxLength) {
        length = maxLength;
        text[length] = '\0';
    }
    caret = std::min(caret, length);
    selectionStart = std::min(selectionStart, length);
    selectionEnd = std::min(selectionEnd, length);
}

void Edit::DeleteRange(int from, int to) {
    std::memmove(text + from, text + to, static_cast<size_t>(length - to) + 1);
    length -= to - from;
}

void Edit::DeleteSelection() {
    const int from = std::min(selectionStart, selectionEnd);
    const int to = std::max(selectionStart, selectionEnd);
    DeleteRange(from, to);
    caret = from;
    selectionStart = selectionEnd = 0;
}

void Edit::OnKey(uint32_t key) {
    switch (key) {
        case VK_BACK:
            if (HasSelection()) {
                DeleteSelection();
            } else if (caret > 0) {
                DeleteRange(caret - 1, caret);
                --caret;
            }
            break;
        case VK_DELETE:
            if (HasSelection())
                DeleteSelection();
            else if (caret < length)
                DeleteRange(caret, caret + 1);
            break;
        case VK_LEFT:
            if (caret > 0) --caret;
            selectionStart = selectionEnd = 0;
            break;
        case VK_RIGHT:
            if (caret < length) ++caret;
            selectionStart = selectionEnd = 0;
            break;
        default:
            break;
    }
}

void Edit::OnCharacter(uint32_t character) {
    if (character == 0 || character > 0xFF || !accepted) return;
    if (!std::strchr(accepted, static_cast<int>(character))) return;
    if (HasSelection()) DeleteSelection();
    if (length >= maxLength) return;
    std::memmove(text + caret + 1, text + caret, static_cast<size_t>(length - caret) + 1);
    text[caret] = static_cast<char>(character);
    ++length;
    ++caret;
}

void Edit::Paint(Surface* surface) {
    height = font->height + 4;
    int32_t left = 0, top = 0;
    ToScreen(left, top);
    left += x;
    top += y;
    FillRect(surface, left, top, left + width, top + height, backgroundColour, 0);
    FrameRect(surface, left, top, left + width, top + height, frameColour);
    const bool active = Editable() && (flags & kHasFocus);
    const int from = std::min(selectionStart, selectionEnd);
    const int to = std::max(selectionStart, selectionEnd);
    FollowCaret();
    const int textX = left + 2 - scrollX;
    const int textY = top + 2;
    // The text stays inside the frame, clear of its lines.
    const int clipLeft = left + 1, clipRight = left + width - 1;
    if (active && from != to) {
        const int a = std::max(LiteralWidth(font, text, from) - scrollX, -1);
        const int b = std::min(LiteralWidth(font, text, to) - scrollX, width - 2);
        if (b > a)
            FillRect(surface, left + a + 2, textY, left + b + 1, textY + font->height,
                     selectionColour, 0);
    }
    DrawLiteralText(font, surface, textX, textY, text, length, textColour, clipLeft, clipRight);
    if (active && from != to)
        DrawLiteralText(font, surface, textX + LiteralWidth(font, text, from), textY, text + from,
                        to - from, selectedTextColour, clipLeft, clipRight);
    if (active && CurrentDesktop && CurrentDesktop->BlinkPhase() < 15)
        VLine(surface, left + LiteralWidth(font, text, caret) - scrollX + 2, textY,
              font->height - 1, textColour);
}

void Edit::FollowCaret() {
    // Room for the text between the frame's inner edges, the caret's column
    // included: x + 2 .. x + width - 2.
    const int room = width - 3;
    const int caretX = LiteralWidth(font, text, caret);
    if (LiteralWidth(font, text, length) <= room)
        scrollX = 0;
    else if (caretX - scrollX > room)
        scrollX = caretX - room;
    else if (caretX < scrollX)
        scrollX = caretX;
}

int Edit::HandleMessage(uint32_t message, uintptr_t wParam, uintptr_t lParam) {
    switch (message) {
        case WM_PAINT:
            if (font && wParam) Paint(reinterpret_cast<Surface*>(wParam));
            break;
        case WM_KEYDOWN:
            if (Editable()) OnKey(static_cast<uint32_t>(wParam));
            break;
        case WM_CHAR:
            if (Editable()) OnCharacter(static_cast<uint32_t>(wParam));
            break;
        case WM_LBUTTONDOWN:
            penHeld = true;
            savedCapture = SetCapture(this);
            caret = LiteralFit(font, text, PenX(lParam) + scrollX);
            selectionStart = selectionEnd = caret;
            break;
        case WM_MOUSEMOVE:
            if (penHeld) {
                const int penX = PenX(lParam) + scrollX;
                int count = 0;
                int sum = 0;
                while (count < length && sum + GlyphWidth(font, text[count]) < penX)
                    sum += GlyphWidth(font, text[count++]);
                selectionEnd = caret = count;
            }
            break;
        case WM_LBUTTONUP:
            if (penHeld) {
                penHeld = false;
                SetCapture(savedCapture);
                savedCapture = nullptr;
            }
            break;
        default:
            break;
    }
    return DefaultProc(message, wParam, lParam);
}

}  // namespace ampliro
