// The four bitmap fonts and the metronome's click, read as the program
// reads them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>

#include "audio/sound_fx.h"
#include "gfx/font.h"
#include "gfx/surface.h"
#include "tests/resources/resource_support.h"

namespace ampliro {
namespace {

using testing::Le16;
using testing::Le32;

std::string UpperLatin1() {
    std::string codes;
    for (int code = 0xA0; code <= 0xFF; ++code) codes.push_back(static_cast<char>(code));
    return codes;
}
const std::string kFont2Glyphs =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz 0123456789:.,%()-+#?<>/'!$;\"&@=_~" +
    UpperLatin1();
const std::string kFont1Glyphs = kFont2Glyphs + "[]\\";

struct FontExpectation {
    int number;
    int height;
    std::string glyphs;
    int minWidth, maxWidth;
};

const FontExpectation kFonts[] = {
    {1, 13, kFont1Glyphs, 2, 11},
    {2, 15, kFont2Glyphs, 8, 8},
    {3, 16, kFont2Glyphs, 4, 17},
    {4, 29, "0123456789:./", 3, 14},
};

TEST(Fonts, ResourcesHoldTheirGlyphSetsHeightsAndWidths) {
    for (const FontExpectation& f : kFonts) {
        SCOPED_TRACE(f.number);
        const ResourceEntry* entry = ProgramModule().Find(kResourceSysFont, f.number);
        ASSERT_NE(entry, nullptr);
        const uint8_t* d = entry->data;
        const uint32_t m = Le32(d);
        ASSERT_LT(m + 2, entry->size);
        // A complete 8-bit BMP sits between the offset and the metrics.
        EXPECT_EQ(d[4], 'B');
        EXPECT_EQ(d[5], 'M');
        EXPECT_EQ(Le32(d + 6), m - 4);
        EXPECT_EQ(Le16(d + 4 + 28), 8u);
        const uint32_t count = d[m];
        EXPECT_EQ(count, f.glyphs.size());
        EXPECT_EQ(d[m + 1], f.height);
        ASSERT_EQ(entry->size, m + 2 + 2 * count);
        std::string codes;
        uint32_t total = 0;
        int narrowest = 255, widest = 0;
        for (uint32_t k = 0; k < count; ++k) {
            codes.push_back(static_cast<char>(d[m + 2 + 2 * k]));
            const int w = d[m + 3 + 2 * k];
            narrowest = std::min(narrowest, w);
            widest = std::max(widest, w);
            total += static_cast<uint32_t>(w);
        }
        EXPECT_EQ(codes, f.glyphs);
        EXPECT_EQ(narrowest, f.minWidth);
        EXPECT_LE(widest, f.maxWidth);
        EXPECT_EQ(Le32(d + 4 + 18), total);                            // strip width
        EXPECT_EQ(Le32(d + 4 + 22), static_cast<uint32_t>(f.height));  // strip height
    }
}

TEST(Fonts, ProportionalFontsReallyAreProportional) {
    BitmapFont font1, font3;
    ASSERT_EQ(LoadFont(&font1, nullptr, 1), 1);
    ASSERT_EQ(LoadFont(&font3, nullptr, 3), 1);
    EXPECT_GT(font1.widths['W'], font1.widths['i'] + 5);
    EXPECT_GE(font1.widths['W'], 9);  // the caption font is condensed
    EXPECT_GT(font3.widths['W'], font3.widths['i'] + 6);
    EXPECT_GE(font3.widths['W'], 13);
    // Bold titles run wider than the caption font.
    EXPECT_GT(TextWidth(&font3, "Save Preset"), TextWidth(&font1, "Save Preset"));
}

TEST(Fonts, TextFontsShowLatin1AndTheSignsOfFileNames) {
    BuildBlendTable();
    BitmapFont font1, font3;
    ASSERT_EQ(LoadFont(&font1, nullptr, 1), 1);
    ASSERT_EQ(LoadFont(&font3, nullptr, 3), 1);
    for (const BitmapFont* font : {&font1, &font3}) {
        for (uint8_t code : {uint8_t{'$'}, uint8_t{';'}, uint8_t{'"'}, uint8_t{0xE9}, uint8_t{0xDF},
                             uint8_t{0xC5}, uint8_t{0xFF}})
            EXPECT_GT(font->widths[code], 0) << int{code};
        // Still nothing for "*" and "|" (the list's column separator).
        EXPECT_EQ(font->widths['*'], 0);
        EXPECT_EQ(font->widths['|'], 0);
    }
    // An accented letter is its letter with an accent: as wide, more ink.
    EXPECT_EQ(font1.widths[0xE9], font1.widths['e']);
    std::unique_ptr<Surface> plain(CreateSurface(20, 13));
    std::unique_ptr<Surface> accented(CreateSurface(20, 13));
    Clear(plain.get(), 0);
    Clear(accented.get(), 0);
    DrawColourText(&font1, plain.get(), 0, 0, "e", 0xFFFF, 0);
    DrawColourText(&font1, accented.get(), 0, 0, "\xE9", 0xFFFF, 0);
    int plainInk = 0, accentedInk = 0;
    for (int32_t y = 0; y < 13; ++y) {
        for (int32_t x = 0; x < 20; ++x) {
            plainInk += GetPixel(plain.get(), x, y) != 0;
            accentedInk += GetPixel(accented.get(), x, y) != 0;
        }
    }
    EXPECT_GT(plainInk, 5);
    EXPECT_GT(accentedInk, plainInk);
}

TEST(Fonts, FiguresFontHasItsFixedWidths) {
    BitmapFont font;
    ASSERT_EQ(LoadFont(&font, nullptr, 4), 1);
    for (char c : std::string("0123456789"))
        EXPECT_EQ(font.widths[static_cast<uint8_t>(c)], 12) << c;
    EXPECT_EQ(font.widths[':'], 3);
    EXPECT_EQ(font.widths['.'], 3);
    EXPECT_EQ(font.widths['/'], 14);
    EXPECT_EQ(font.widths['A'], 0);
}

// The strips load with a background of exactly 0, so every font takes the
// tinted-mask path, and glyph ink reaches the full level 224.
TEST(Fonts, StripsLoadWithABlackBackgroundAndFullInk) {
    for (const FontExpectation& f : kFonts) {
        SCOPED_TRACE(f.number);
        BitmapFont font;
        ASSERT_EQ(LoadFont(&font, nullptr, f.number), 1);
        ASSERT_NE(font.strip, nullptr);
        EXPECT_EQ(font.keyColour, 0);
        EXPECT_EQ(font.height, f.height);
        EXPECT_EQ(font.strip->height, f.height);
        // Grey levels only, none above the ink level, and the ink level reached.
        uint16_t brightest = 0;
        for (int y = 0; y < font.strip->height; ++y) {
            for (int x = 0; x < font.strip->width; ++x) {
                const uint16_t p = GetPixel(font.strip, x, y);
                brightest = std::max(brightest, p);
                ASSERT_EQ(p >> 11, p & 31) << x << "," << y;
            }
        }
        EXPECT_EQ(brightest, Rgb565(224, 224, 224));
        // Every glyph but the two spaces leaves ink in its own cell: a glyph
        // that the cell clips away ("_" sits below the descenders) would
        // show "test_ir.wav" as "test ir.wav".
        for (unsigned char code : f.glyphs) {
            if (code == ' ' || code == 0xA0) continue;
            int ink = 0;
            for (int y = 0; y < font.strip->height; ++y)
                for (int x = font.offsets[code]; x < font.offsets[code] + font.widths[code]; ++x)
                    ink += GetPixel(font.strip, x, y) != 0;
            EXPECT_GT(ink, 0) << "glyph " << int{code};
        }
        // The top row and, where there is one, the space are pure background.
        for (int x = 0; x < font.strip->width; ++x) EXPECT_EQ(GetPixel(font.strip, x, 0), 0) << x;
        if (font.widths[' '] > 0) {
            for (int y = 0; y < font.strip->height; ++y) {
                for (int x = font.offsets[' ']; x < font.offsets[' '] + font.widths[' ']; ++x) {
                    EXPECT_EQ(GetPixel(font.strip, x, y), 0);
                }
            }
        }
    }
}

TEST(Click, IsA16BitMonoPcmWaveOf3252Samples) {
    const ResourceEntry* entry = ProgramModule().Find(kResourceWave, 160);
    ASSERT_NE(entry, nullptr);
    const uint8_t* d = entry->data;
    ASSERT_EQ(entry->size, 44u + 6504u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(d), 4), "RIFF");
    EXPECT_EQ(Le32(d + 4), entry->size - 8);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(d + 8), 8), "WAVEfmt ");
    EXPECT_EQ(Le16(d + 20), 1u);      // PCM
    EXPECT_EQ(Le16(d + 22), 1u);      // mono
    EXPECT_EQ(Le32(d + 24), 44100u);  // rate
    EXPECT_EQ(Le16(d + 34), 16u);     // bits
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(d + 36), 4), "data");
    EXPECT_EQ(Le32(d + 40), 6504u);

    SoundFX click;
    ASSERT_EQ(click.LoadWaveResource(nullptr, 160), 1);
    EXPECT_EQ(click.length, 3252u);
    EXPECT_EQ(click.rate, 44100u);
    EXPECT_EQ(click.eightBit, 0);
}

TEST(Click, IsPercussive) {
    SoundFX click;
    ASSERT_EQ(click.LoadWaveResource(nullptr, 160), 1);
    ASSERT_EQ(click.length, 3252u);
    int peak = 0;
    double early = 0, total = 0;
    for (uint32_t i = 0; i < click.length; ++i) {
        const int s = click.Sample(i);
        peak = std::max(peak, std::abs(s));
        const double e = static_cast<double>(s) * s;
        total += e;
        if (i < 882) early += e;  // the first 20 ms
    }
    // Loud with headroom, starting without a step and ending in silence.
    EXPECT_GT(peak, 24000);
    EXPECT_LT(peak, 32000);
    EXPECT_LT(std::abs(click.Sample(0)), 2000);
    EXPECT_EQ(click.Sample(click.length - 1), 0);
    EXPECT_GT(early / total, 0.85);
    // At the metronome's quiet gain, 24/64, it still peaks well above the
    // noise of a guitar signal.
    EXPECT_GT(peak * 24 / 64, 8000);
}

}  // namespace
}  // namespace ampliro
