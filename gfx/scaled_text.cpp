#include "gfx/scaled_text.h"

#include <algorithm>

#include "gfx/font.h"
#include "gfx/surface.h"

namespace ampliro {
namespace {

// The fonts' glyph pixels are grey level 224 on black: coverage 0..256 from
// the green channel, the finest of RGB565's three.
int32_t Coverage(const Surface* strip, int32_t x, int32_t y, int32_t left, int32_t right) {
    if (x < left || x >= right || y < 0 || y >= strip->height) return 0;
    const int32_t green = (strip->Row(y)[x] >> 5) & 0x3F;
    return std::min(256, green * 4 * 256 / 224);
}

uint16_t Mix(uint16_t under, uint16_t over, int32_t weight) {
    const int32_t r = ((under >> 11) * (256 - weight) + (over >> 11) * weight) >> 8;
    const int32_t g = (((under >> 5) & 0x3F) * (256 - weight) + ((over >> 5) & 0x3F) * weight) >> 8;
    const int32_t b = ((under & 0x1F) * (256 - weight) + (over & 0x1F) * weight) >> 8;
    return static_cast<uint16_t>((r << 11) | (g << 5) | b);
}

}  // namespace

int32_t ScaledTextWidth(const BitmapFont* font, const char* text, int32_t scale) {
    int32_t width = 0;
    for (const char* c = text; *c; ++c) width += font->widths[static_cast<uint8_t>(*c)];
    return width * scale;
}

void DrawScaledText(const BitmapFont* font, Surface* surface, int32_t x, int32_t y,
                    const char* text, int32_t scale, uint16_t colour) {
    const Surface* strip = font->strip;
    if (!strip || !surface || scale < 1) return;
    for (const char* c = text; *c; ++c) {
        const uint8_t code = static_cast<uint8_t>(*c);
        const int32_t glyphWidth = font->widths[code];
        const int32_t left = font->offsets[code];
        const int32_t right = std::min(left + glyphWidth, strip->width);
        for (int32_t dy = 0; dy < font->height * scale; ++dy) {
            const int32_t py = y + dy;
            if (py < 0 || py >= surface->height) continue;
            // Sample positions at pixel centres, in 1/256 of a font pixel.
            const int32_t sy = ((2 * dy + 1) * 128) / scale - 128;
            const int32_t y0 = (sy >> 8) + font->stripRow;
            const int32_t fy = sy & 0xFF;
            uint16_t* row = surface->Row(py);
            for (int32_t dx = 0; dx < glyphWidth * scale; ++dx) {
                const int32_t px = x + dx;
                if (px < 0 || px >= surface->width) continue;
                const int32_t sx = ((2 * dx + 1) * 128) / scale - 128;
                const int32_t x0 = left + (sx >> 8);
                const int32_t fx = sx & 0xFF;
                const int32_t top = Coverage(strip, x0, y0, left, right) * (256 - fx) +
                                    Coverage(strip, x0 + 1, y0, left, right) * fx;
                const int32_t bottom = Coverage(strip, x0, y0 + 1, left, right) * (256 - fx) +
                                       Coverage(strip, x0 + 1, y0 + 1, left, right) * fx;
                // Interpolation softens an edge over `scale` pixels; a
                // steeper ramp round half coverage brings it back to about one.
                const int32_t smooth = (top * (256 - fy) + bottom * fy) >> 16;
                const int32_t weight = std::clamp((smooth - 128) * 3 + 128, 0, 256);
                if (weight > 0) row[px] = Mix(row[px], colour, weight);
            }
        }
        x += glyphWidth * scale;
    }
}

}  // namespace ampliro
