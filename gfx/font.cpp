// Loading bitmap fonts from "SYSFONT" resources.
//
// Resource layout (little-endian): a 32-bit offset M of the metrics; bytes
// 4 .. M - 1 a BMP file with the glyph strip; at M the glyph count N and the
// line height; then N pairs (character code, width), glyphs lying left to
// right in the strip in table order.
#include <algorithm>

#include "gfx/font.h"
#include "gfx/image.h"
#include "gfx/surface.h"
#include "platform/resources/resources.h"

namespace ampliro {

BitmapFont::~BitmapFont() {
    delete strip;
}

int LoadFont(BitmapFont* font, const ResourceModule* module, int number) {
    if (!font) return 0;
    const ResourceEntry* entry = ModuleOrProgram(module).Find(kResourceSysFont, number);
    if (!entry || !entry->data || entry->size < 4) return 0;
    const uint8_t* data = entry->data;
    const size_t size = entry->size;
    const size_t metrics =
        size_t{data[0]} | size_t{data[1]} << 8 | size_t{data[2]} << 16 | size_t{data[3]} << 24;
    // A damaged resource is refused before anything is read past its end;
    // the font keeps what it had.
    if (metrics <= 4 || metrics > size || size - metrics < 2) return 0;
    const size_t count = data[metrics];
    if ((size - metrics - 2) / 2 < count) return 0;

    delete font->strip;
    font->strip = LoadImageFromMemory(data + 4, data + metrics);
    if (!font->strip) return 0;
    font->keyColour = GetPixel(font->strip, 0, 0);
    font->glyphCount = static_cast<uint8_t>(count);
    font->height = data[metrics + 1];
    font->stripRow = 0;
    std::fill(std::begin(font->offsets), std::end(font->offsets), uint16_t{0});
    std::fill(std::begin(font->widths), std::end(font->widths), uint16_t{0});
    uint32_t x = 0;
    for (size_t k = 0; k < count; ++k) {
        const uint8_t code = data[metrics + 2 + 2 * k];
        const uint8_t width = data[metrics + 3 + 2 * k];
        font->offsets[code] = static_cast<uint16_t>(x);
        font->widths[code] = width;
        x += width;
    }
    return 1;
}

}  // namespace ampliro
