// Pictures for the gallery, drawn in code so it runs without the program's
// artwork: a knob strip and its mask, scroll arrows, a slider thumb, and a
// caption font made from the built-in 8 x 16 font.
#pragma once

#include <cstdint>

namespace ampliro {

class Surface;
struct BitmapFont;

// side x (side * frames): a grey face with a pointer turning 270 degrees.
Surface* MakeKnobStrip(int32_t side, int32_t frames);
// The matching mask: opaque inside the circle, a soft rim, clear outside.
Surface* MakeKnobMask(int32_t side, int32_t frames);
// Two columns (back, forward) by two rows (pressed, raised) of size x size.
Surface* MakeArrowSheet(int32_t size, bool horizontal);
Surface* MakeSliderThumb(int32_t width, int32_t height);
// Fills the font's tables and strip from the built-in font; 1 on success.
int MakeSystemCaptionFont(BitmapFont* font);

}  // namespace ampliro
