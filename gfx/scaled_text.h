// Text from a bitmap font drawn at a whole-number scale, for the few large
// readings the screen shows (the tuner's note). The glyph coverage is
// interpolated between the font's pixels, so the edges stay smooth. No colour
// codes: every character, "#" included, is drawn as its glyph.
#pragma once

#include <cstdint>

namespace ampliro {

struct BitmapFont;
class Surface;

// Width in pixels of the text at that scale.
int32_t ScaledTextWidth(const BitmapFont* font, const char* text, int32_t scale);
// Draws the text with its top left at (x, y); clipped to the surface.
void DrawScaledText(const BitmapFont* font, Surface* surface, int32_t x, int32_t y,
                    const char* text, int32_t scale, uint16_t colour);

}  // namespace ampliro
