// Legibility of one RGB565 colour on another: the relative luminance of the
// sRGB colour and the contrast ratio between two of them, (L1 + 0.05) /
// (L2 + 0.05) with L1 the lighter; 4.5 is the least that small text needs.
#pragma once

#include <cstdint>

namespace ampliro {

double RelativeLuminance(uint16_t colour);
double ContrastRatio(uint16_t a, uint16_t b);
// Black or white, whichever stands out more from the given face.
uint16_t ReadableTextOn(uint16_t face);

}  // namespace ampliro
