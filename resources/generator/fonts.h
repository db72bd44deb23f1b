// The program's bitmap fonts in their resource layout: a 32-bit offset M,
// an 8-bit grey BMP glyph strip, then the glyph count, the height and one
// (code, width) pair per glyph.
#pragma once

#include <string>

#include "resources/generator/encoders.h"
#include "resources/generator/text.h"

namespace ampliro::art {

struct FontSpec {
    int number;
    int height;
    std::string glyphs;  // in strip order
    Typeface face;
    float size;     // em height in pixels
    float emWidth;  // em width in pixels (condensing when below size)
    int minWidth, maxWidth;
    // Widths that do not follow the outline (font 4's narrow punctuation).
    std::string narrowGlyphs;
    int narrowWidth;
    std::string wideGlyphs;
    int wideWidth;
};

const FontSpec& FontSpecFor(int number);  // 1..4

struct FontStrip {
    int width = 0, height = 0;
    std::vector<uint8_t> levels;  // 0 background .. 224 full glyph, top row first
    std::vector<int> widths;      // per glyph, in spec order
};

FontStrip RenderFontStrip(const FontLibrary& fonts, const FontSpec& spec);
Bytes EncodeFontResource(const FontSpec& spec, const FontStrip& strip);

}  // namespace ampliro::art
