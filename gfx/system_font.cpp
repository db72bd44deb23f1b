// Text in the built-in 8 x 16 font: no colour codes, one line.
#include "gfx/system_font.h"

#include <cstring>

#include "gfx/font.h"
#include "gfx/surface.h"

namespace ampliro {

namespace {
constexpr int kCellWidth = 8;
constexpr int kCellHeight = 16;
}  // namespace

void DrawSystemText(Surface* surface, int x, int y, const char* text, uint16_t colour) {
    if (!surface || !surface->pixels || !text) return;
    const size_t length = std::strlen(text);
    if (x == -1)
        x = static_cast<int>((surface->width - static_cast<int64_t>(length) * kCellWidth) >> 1);
    for (size_t i = 0; i < length; ++i, x += kCellWidth) {
        // Drawing stops at the first cell that does not lie wholly inside.
        if (x < 0 || y < 0 || x > surface->width - kCellWidth ||
            y > surface->height - kCellHeight) {
            return;
        }
        const uint8_t* rows = kSystemFontGlyphs[static_cast<uint8_t>(text[i])];
        for (int r = 0; r < kCellHeight; ++r) {
            uint16_t* p = surface->Row(y + r) + x;
            for (int b = 0; b < kCellWidth; ++b) {
                if (rows[r] & (0x80 >> b)) p[b] = colour;
            }
        }
    }
}

int FitSystemText(const char* text, int width) {
    if (!text || text[0] == '\0') return 0;
    int i = 0;
    int lastBreak = 0;
    while (text[i] != '\0' && (i + 1) * kCellWidth < width) {
        const char c = text[i++];
        if (c == '\r') return i;
        if (c == ' ') lastBreak = i;
    }
    if (text[i] == '\0') return i;
    if (lastBreak) return lastBreak;
    // At least one character per line, so that wrapping always moves on.
    return i == 0 ? 1 : i;
}

}  // namespace ampliro
