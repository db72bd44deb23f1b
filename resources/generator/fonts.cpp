#include "resources/generator/fonts.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace ampliro::art {

namespace {

const std::string kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz 0123456789";
const std::string kPunctuation = ":.,%()-+#?<>/'!";
// The rest of what file names commonly hold ("*" and "|" stay out: lists
// use "|" between columns).
const std::string kNamePunctuation = "$;\"&@=_~";

// Latin-1's upper half, 0xA0 to 0xFF: accented letters and signs, indexed
// by their own code as the fonts index every character.
std::string UpperLatin1() {
    std::string codes;
    for (int code = 0xA0; code <= 0xFF; ++code) codes.push_back(static_cast<char>(code));
    return codes;
}
const std::string kTextGlyphs = kLetters + kPunctuation + kNamePunctuation + UpperLatin1();

const FontSpec kFonts[4] = {
    // Captions, lists and message text: the book weight stays open at 11 px;
    // the apostrophe is a single stroke and packs into two pixels. Condensed
    // to 85 % of its width, as the fixed layouts need: "Parametric EQ" fits
    // its 80-pixel list column and "22Khz Medium Quality" the sample-rate box.
    {1, 13, kTextGlyphs + "[]\\", Typeface::Sans, 11, 9.4f, 2, 11, "'", 2, "", 0},
    // A fixed-pitch face, every glyph eight pixels wide.
    {2, 15, kTextGlyphs, Typeface::Mono, 13, 13, 8, 8, "", 0, "", 0},
    // Titles.
    {3, 16, kTextGlyphs, Typeface::SansBold, 13, 13, 4, 17, "", 0, "", 0},
    // Large condensed figures for read-outs.
    {4, 29, "0123456789:./", Typeface::SansBold, 30, 17, 12, 12, ":.", 3, "/", 14},
};

// The glyph level of full coverage; the background stays 0.
constexpr int kInk = 224;

}  // namespace

const FontSpec& FontSpecFor(int number) {
    return kFonts[number - 1];
}

FontStrip RenderFontStrip(const FontLibrary& fonts, const FontSpec& spec) {
    struct Cell {
        GlyphImage glyph;
        int width;
    };
    std::vector<Cell> cells;
    for (unsigned char code : spec.glyphs) {
        GlyphImage g = fonts.RenderScaled(spec.face, spec.size, spec.emWidth, code);
        int w = static_cast<int>(std::lround(g.advance));
        if (spec.narrowGlyphs.find(static_cast<char>(code)) != std::string::npos)
            w = spec.narrowWidth;
        else if (spec.wideGlyphs.find(static_cast<char>(code)) != std::string::npos)
            w = spec.wideWidth;
        else
            w = std::clamp(w, spec.minWidth, spec.maxWidth);
        cells.push_back({std::move(g), w});
    }
    FontStrip strip;
    strip.height = spec.height;
    for (const Cell& c : cells) {
        strip.width += c.width;
        strip.widths.push_back(c.width);
    }
    strip.levels.assign(static_cast<size_t>(strip.width) * strip.height, 0);

    // Baseline: centre the face's full ascent-plus-descent in the line, so
    // capitals and descenders both fit.
    float ascent = fonts.Ascender(spec.face, spec.size);
    float descent = spec.size * 0.236f;  // DejaVu's descender, in em
    int baseline = static_cast<int>(
        std::lround((static_cast<float>(spec.height) - ascent - descent) * 0.5f + ascent));
    if (spec.number == 4) baseline = spec.height - 4;  // figures have no descenders

    int x0 = 0;
    for (const Cell& c : cells) {
        const GlyphImage& g = c.glyph;
        // A glyph in a cell narrower or wider than its advance is centred.
        int offset =
            static_cast<int>(std::lround((static_cast<float>(c.width) - g.advance) * 0.5f)) +
            g.left;
        if (g.width > c.width) offset = (c.width - g.width) / 2;
        // The underscore's stroke sits under the descenders, below the
        // caption font's 13 rows: clipped, "a_b" would read "a b". A glyph
        // that would leave no row in the cell is lifted onto its last rows.
        int top = baseline - g.top;
        if (top >= strip.height) top = strip.height - g.rows;
        for (int gy = 0; gy < g.rows; ++gy) {
            int y = top + gy;
            // Row 0 stays background (the loader's key colour comes from
            // it); only the accents of Latin-1 capitals reach that high.
            if (y < 1 || y >= strip.height) continue;
            for (int gx = 0; gx < g.width; ++gx) {
                int x = offset + gx;
                if (x < 0 || x >= c.width) continue;
                int level = (g.coverage[static_cast<size_t>(gy) * g.width + gx] * kInk + 127) / 255;
                strip.levels[static_cast<size_t>(y) * strip.width + x0 + x] =
                    static_cast<uint8_t>(level);
            }
        }
        x0 += c.width;
    }
    // The loader takes the strip's top-left pixel as the key colour: it must
    // be the background for the fonts to draw as tinted masks.
    strip.levels[0] = 0;
    return strip;
}

Bytes EncodeFontResource(const FontSpec& spec, const FontStrip& strip) {
    std::vector<std::array<uint8_t, 3>> grey;
    for (int i = 0; i < 256; ++i) {
        auto v = static_cast<uint8_t>(i);
        grey.push_back({v, v, v});
    }
    Bytes bmp = EncodeBmp8(strip.width, strip.height, strip.levels, grey);
    Bytes out;
    uint32_t m = 4 + static_cast<uint32_t>(bmp.size());
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(m >> shift));
    out.insert(out.end(), bmp.begin(), bmp.end());
    out.push_back(static_cast<uint8_t>(spec.glyphs.size()));
    out.push_back(static_cast<uint8_t>(spec.height));
    for (size_t k = 0; k < spec.glyphs.size(); ++k) {
        out.push_back(static_cast<uint8_t>(spec.glyphs[k]));
        out.push_back(static_cast<uint8_t>(strip.widths[k]));
    }
    return out;
}

}  // namespace ampliro::art
