// Pictures and fonts built byte by byte for the tests, and readers for the
// decoder's reference output.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "gfx/surface.h"

namespace ampliro::testing {

using SurfacePtr = std::unique_ptr<Surface>;

// A surface of one colour.
inline SurfacePtr Filled(int32_t w, int32_t h, uint16_t colour) {
    SurfacePtr s(CreateSurface(w, h));
    Clear(s.get(), colour);
    return s;
}

inline void Put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
inline void Put32(std::vector<uint8_t>& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

// An 8-bit BMP with a 256-level grey palette; levels given top row first.
inline std::vector<uint8_t> GreyBmp(int width, int height, const std::vector<uint8_t>& levels) {
    const uint32_t stride = (static_cast<uint32_t>(width) + 3) & ~3u;
    const uint32_t offset = 14 + 40 + 256 * 4;
    std::vector<uint8_t> b{'B', 'M'};
    Put32(b, offset + stride * height);
    Put32(b, 0);
    Put32(b, offset);
    Put32(b, 40);
    Put32(b, static_cast<uint32_t>(width));
    Put32(b, static_cast<uint32_t>(height));
    Put16(b, 1);
    Put16(b, 8);
    Put32(b, 0);
    Put32(b, stride * height);
    Put32(b, 2835);
    Put32(b, 2835);
    Put32(b, 256);
    Put32(b, 0);
    for (uint32_t i = 0; i < 256; ++i) Put32(b, i | i << 8 | i << 16);
    for (int y = height - 1; y >= 0; --y) {
        for (uint32_t x = 0; x < stride; ++x) {
            b.push_back(x < static_cast<uint32_t>(width) ? levels[y * width + x] : 0);
        }
    }
    return b;
}

struct Glyph {
    char code;
    uint8_t width;
};

// A "SYSFONT" resource whose glyphs are solid blocks at `ink` on
// `background`, except that each glyph's last column is background (so
// glyph edges show in drawn text).
inline std::vector<uint8_t> FontResource(const std::vector<Glyph>& glyphs, uint8_t height,
                                         uint8_t ink = 224, uint8_t background = 0) {
    int stripWidth = 0;
    for (const Glyph& g : glyphs) stripWidth += g.width;
    std::vector<uint8_t> levels(static_cast<size_t>(stripWidth) * height, background);
    int x0 = 0;
    for (const Glyph& g : glyphs) {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x + 1 < g.width; ++x) levels[y * stripWidth + x0 + x] = ink;
        }
        x0 += g.width;
    }
    // Keep the key pixel (0, 0) the background even when the first glyph is inked.
    if (!levels.empty()) levels[0] = background;
    const std::vector<uint8_t> bmp = GreyBmp(stripWidth, height, levels);
    std::vector<uint8_t> font;
    Put32(font, static_cast<uint32_t>(4 + bmp.size()));
    font.insert(font.end(), bmp.begin(), bmp.end());
    font.push_back(static_cast<uint8_t>(glyphs.size()));
    font.push_back(height);
    for (const Glyph& g : glyphs) {
        font.push_back(static_cast<uint8_t>(g.code));
        font.push_back(g.width);
    }
    return font;
}

inline std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Binary PPM (P6) or PGM (P5) with maxval 255, as djpeg writes them: the
// samples of each pixel, rows top first.
struct Netpbm {
    int width = 0;
    int height = 0;
    int channels = 0;
    std::vector<uint8_t> samples;
};

inline Netpbm ReadNetpbm(const std::string& path) {
    const std::vector<uint8_t> bytes = ReadFile(path);
    Netpbm image;
    std::string magic;
    int maxval = 0;
    std::istringstream header(
        std::string(bytes.begin(), bytes.begin() + std::min<size_t>(64, bytes.size())));
    header >> magic >> image.width >> image.height >> maxval;
    image.channels = magic == "P6" ? 3 : 1;
    const size_t start = static_cast<size_t>(header.tellg()) + 1;
    image.samples.assign(bytes.begin() + start, bytes.end());
    return image;
}

inline std::string TestData(const char* name) {
    return std::string(AMPLIRO_GFX_TEST_DATA) + "/" + name;
}

}  // namespace ampliro::testing
