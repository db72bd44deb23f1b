// Measuring and line fitting for bitmap fonts.
#include "gfx/font.h"
#include "gfx/text_codes.h"

namespace ampliro {

int TextWidth(const BitmapFont* font, const char* text) {
    if (!font || !text) return 0;
    int width = 0;
    for (size_t i = 0; text[i] != '\0' && text[i] != kLineBreak;) {
        if (text[i] == kColourCode) {
            i = SkipColourCode(text, i);
        } else {
            width += font->widths[Code(text[i++])];
        }
    }
    return width;
}

// Word wrap: the line ends after a "\r", after the last space that fits, or,
// for a word longer than the line, where the line is full.
int FitText(const BitmapFont* font, const char* text, int width) {
    if (!font || !text || text[0] == '\0') return 0;
    size_t i = 0;
    size_t lastBreak = 0;
    int used = 0;
    while (text[i] != '\0') {
        const char c = text[i];
        const int next = used + font->widths[Code(c)];
        if (next >= width) break;
        if (c == kColourCode) {
            i = SkipColourCode(text, i);
            continue;
        }
        ++i;
        if (c == kLineBreak) return static_cast<int>(i);
        if (c == ' ') lastBreak = i;
        used = next;
    }
    if (text[i] == '\0') return static_cast<int>(i);
    if (lastBreak) return static_cast<int>(lastBreak);
    // A line takes at least one character (a colour code as a whole), so
    // that wrapping always moves on.
    if (i == 0) i = text[0] == kColourCode ? SkipColourCode(text, 0) : 1;
    return static_cast<int>(i);
}

int FitTextEllipsis(const BitmapFont* font, char* text, int width) {
    if (!font || !text) return 0;
    size_t i = 0;
    int used = 0;
    while (text[i] != '\0') {
        const char c = text[i];
        if (c == kLineBreak) return static_cast<int>(i);
        const int next = used + font->widths[Code(c)];
        if (next >= width) break;
        if (c == kColourCode) {
            i = SkipColourCode(text, i);
        } else {
            ++i;
            used = next;
        }
    }
    if (text[i] != '\0' && i >= 3) text[i - 1] = text[i - 2] = text[i - 3] = '.';
    return static_cast<int>(i);
}

}  // namespace ampliro
