#include "gfx/contrast.h"

#include <algorithm>
#include <cmath>

namespace ampliro {

namespace {

// An sRGB channel from 0..1 to linear light.
double Linear(double channel) {
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

}  // namespace

double RelativeLuminance(uint16_t colour) {
    // Each field scaled to 0..1 by its own maximum (31, 63, 31).
    const double r = Linear(((colour >> 11) & 0x1F) / 31.0);
    const double g = Linear(((colour >> 5) & 0x3F) / 63.0);
    const double b = Linear((colour & 0x1F) / 31.0);
    return 0.2126 * r + 0.7152 * g + 0.0722 * b;
}

double ContrastRatio(uint16_t a, uint16_t b) {
    const double la = RelativeLuminance(a), lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

uint16_t ReadableTextOn(uint16_t face) {
    return ContrastRatio(face, 0x0000) >= ContrastRatio(face, 0xFFFF) ? 0x0000 : 0xFFFF;
}

}  // namespace ampliro
