#include "gallery_artwork.h"

#include <algorithm>
#include <cmath>

#include "gfx/font.h"
#include "gfx/surface.h"

namespace ampliro {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr uint16_t kKey = 0xF81F;

void Plot(Surface* s, int32_t x, int32_t y, uint16_t colour) {
    if (x >= 0 && y >= 0 && x < s->width && y < s->height) s->Row(y)[x] = colour;
}

}  // namespace

Surface* MakeKnobStrip(int32_t side, int32_t frames) {
    Surface* strip = CreateSurface(side, side * frames);
    if (!strip) return nullptr;
    const double c = (side - 1) / 2.0, radius = side / 2.0 - 1;
    for (int32_t f = 0; f < frames; ++f) {
        const int32_t top = f * side;
        for (int32_t y = 0; y < side; ++y) {
            for (int32_t x = 0; x < side; ++x) {
                // Lit from the top left: brighter toward it.
                const double shade = 1.0 - ((x - c) + (y - c)) / (4.0 * radius);
                const uint32_t level =
                    static_cast<uint32_t>(std::clamp(shade * 150.0, 40.0, 230.0));
                strip->Row(top + y)[x] = Rgb565(level, level, level);
            }
        }
        // The pointer sweeps from 7:30 to 4:30 across the frames.
        const double angle = (225.0 - 270.0 * f / (frames - 1)) * kPi / 180.0;
        for (double r = radius * 0.25; r < radius * 0.9; r += 0.5) {
            const int32_t px = static_cast<int32_t>(std::lround(c + r * std::cos(angle)));
            const int32_t py = static_cast<int32_t>(std::lround(c - r * std::sin(angle)));
            for (int32_t d = -1; d <= 1; ++d) {
                Plot(strip, px + d, top + py, 0xF800);
                Plot(strip, px, top + py + d, 0xF800);
            }
        }
    }
    return strip;
}

Surface* MakeKnobMask(int32_t side, int32_t frames) {
    Surface* mask = CreateSurface(side, side * frames);
    if (!mask) return nullptr;
    const double c = (side - 1) / 2.0, radius = side / 2.0 - 1;
    for (int32_t y = 0; y < side * frames; ++y) {
        const int32_t fy = y % side;
        for (int32_t x = 0; x < side; ++x) {
            const double d = std::hypot(x - c, fy - c);
            // Weight (a + 1) / 32: 31 inside, fading over the last pixel.
            const double edge = std::clamp(radius - d + 0.5, 0.0, 1.0);
            mask->Row(y)[x] = static_cast<uint16_t>(edge <= 0.0 ? 0 : std::lround(edge * 31.0));
        }
    }
    return mask;
}

Surface* MakeArrowSheet(int32_t size, bool horizontal) {
    Surface* sheet = CreateSurface(size * 2, size * 2);
    if (!sheet) return nullptr;
    for (int32_t row = 0; row < 2; ++row) {
        for (int32_t column = 0; column < 2; ++column) {
            const int32_t l = column * size, t = row * size, r = l + size - 1, b = t + size - 1;
            const bool pressed = row == 0;
            FillRect(sheet, l, t, r, b, pressed ? 0x8410 : 0xC618, 0);
            FrameRect(sheet, l, t, r, b, 0x0000);
            HLine(sheet, l + 1, t + 1, size - 3, pressed ? 0x4208 : 0xFFFF);
            VLine(sheet, l + 1, t + 1, size - 3, pressed ? 0x4208 : 0xFFFF);
            // A small filled triangle pointing back (up or left) or forward.
            const int32_t cx = l + size / 2, cy = t + size / 2, h = size / 4;
            for (int32_t i = 0; i <= h; ++i) {
                const int32_t at = column == 0 ? -h / 2 + i : h / 2 - i;
                if (horizontal)
                    VLine(sheet, cx + at, cy - i, 2 * i, 0x0000);
                else
                    HLine(sheet, cx - i, cy + at, 2 * i, 0x0000);
            }
        }
    }
    return sheet;
}

Surface* MakeSliderThumb(int32_t width, int32_t height) {
    Surface* thumb = CreateSurface(width, height);
    if (!thumb) return nullptr;
    Clear(thumb, kKey);
    FillRect(thumb, 1, 0, width - 2, height - 1, 0x8410, 0);
    FillRect(thumb, 2, 1, width - 3, height - 2, 0xC618, 0);
    HLine(thumb, 2, height / 2, width - 5, 0xF800);
    return thumb;
}

int MakeSystemCaptionFont(BitmapFont* font) {
    constexpr int kFirst = 32, kLast = 126, kCell = 8, kHeight = 16;
    Surface* strip = CreateSurface(kCell * (kLast - kFirst + 1), kHeight);
    if (!strip) return 0;
    Clear(strip, 0x0000);
    char one[2] = {0, 0};
    for (int c = kFirst; c <= kLast; ++c) {
        one[0] = static_cast<char>(c);
        // Glyph pixels at full coverage: the text colour is the tint.
        DrawSystemText(strip, (c - kFirst) * kCell, 0, one, 0x001F);
        font->offsets[c] = static_cast<uint16_t>((c - kFirst) * kCell);
        font->widths[c] = kCell;
    }
    delete font->strip;
    font->strip = strip;
    font->glyphCount = kLast - kFirst + 1;
    font->height = kHeight;
    font->stripRow = 0;
    font->keyColour = 0;
    return 1;
}

}  // namespace ampliro
