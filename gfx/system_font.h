// The built-in 8 x 16 code page 437 glyphs: 16 rows per character from the
// top, bit 7 the leftmost pixel. Generated at build time.
#pragma once

#include <cstdint>

namespace ampliro {

extern const uint8_t kSystemFontGlyphs[256][16];

}  // namespace ampliro
