#include "gfx/font.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "gfx/surface.h"
#include "platform/resources/resources.h"
#include "test_pictures.h"

namespace ampliro {
namespace {

using testing::FontResource;
using testing::Glyph;
using testing::SurfacePtr;

const std::vector<Glyph> kGlyphs = {{'a', 6}, {'b', 6}, {' ', 6}, {'c', 6}, {'d', 6}, {'e', 6},
                                    {'f', 6}, {'g', 6}, {'h', 6}, {'A', 7}, {'H', 5}, {'i', 3},
                                    {'t', 4}, {'r', 4}, {'#', 8}, {'\n', 2}};
constexpr uint8_t kHeight = 10;

// Ink level 224 has the low five bits 28 after conversion: BlendTable[28][31]
// = 28 gives 28/32 of the tint over 4/32 of the old pixel.
constexpr uint16_t Inked(uint16_t tint) {
    return static_cast<uint16_t>(((((tint >> 11) & 31) * 28 / 32) << 11) |
                                 ((((tint >> 5) & 63) * 28 / 32) << 5) | ((tint & 31) * 28 / 32));
}

// A font resource module of one font, kept alive with its bytes.
struct FontModule {
    explicit FontModule(std::vector<uint8_t> b, int number = 1) : bytes(std::move(b)) {
        entry = {kResourceSysFont, number, bytes.data(), bytes.size()};
    }
    const ResourceModule& Module() const { return module; }
    std::vector<uint8_t> bytes;
    ResourceEntry entry{};
    ResourceModule module{std::span<const ResourceEntry>(&entry, 1)};
};

// A text in a buffer of exactly its size, so reading past its end is caught.
std::unique_ptr<char[]> Exact(const char* text) {
    const size_t n = std::strlen(text) + 1;
    std::unique_ptr<char[]> copy(new char[n]);
    std::memcpy(copy.get(), text, n);
    return copy;
}

class FontTest : public ::testing::Test {
  protected:
    void SetUp() override {
        BuildBlendTable();
        ASSERT_EQ(LoadFont(&font, &resource.Module(), 1), 1);
    }
    FontModule resource{FontResource(kGlyphs, kHeight)};
    BitmapFont font;
};

TEST_F(FontTest, LoadingReadsTheMetricsAndTheStrip) {
    EXPECT_EQ(font.glyphCount, kGlyphs.size());
    EXPECT_EQ(font.height, kHeight);
    EXPECT_EQ(font.stripRow, 0);
    EXPECT_EQ(font.keyColour, 0);
    ASSERT_NE(font.strip, nullptr);
    EXPECT_EQ(font.strip->width, 6 * 9 + 7 + 5 + 3 + 4 + 4 + 8 + 2);
    EXPECT_EQ(font.strip->height, kHeight);
    EXPECT_EQ(font.offsets['a'], 0);
    EXPECT_EQ(font.offsets['A'], 54);
    EXPECT_EQ(font.widths['A'], 7);
    EXPECT_EQ(font.offsets['i'], 66);
    EXPECT_EQ(font.widths['*'], 0);
    EXPECT_EQ(GetPixel(font.strip, 54, 0), Rgb565(224, 224, 224));
    EXPECT_EQ(GetPixel(font.strip, 60, 0), 0);
}

TEST_F(FontTest, ACodeListedTwiceKeepsItsLastEntry) {
    FontModule twice(FontResource({{'a', 3}, {'b', 4}, {'a', 5}}, 8));
    BitmapFont f;
    ASSERT_EQ(LoadFont(&f, &twice.Module(), 1), 1);
    EXPECT_EQ(f.widths['a'], 5);
    EXPECT_EQ(f.offsets['a'], 7);
    EXPECT_EQ(LoadFont(&f, &twice.Module(), 2), 0);
}

TEST_F(FontTest, DamagedResourcesFailAndKeepTheLoadedFont) {
    const std::vector<uint8_t> good = FontResource(kGlyphs, kHeight);
    const uint32_t metrics = static_cast<uint32_t>(good.size() - 2 - 2 * kGlyphs.size());
    auto withOffset = [&](uint32_t m) {
        std::vector<uint8_t> b = good;
        b[0] = static_cast<uint8_t>(m), b[1] = static_cast<uint8_t>(m >> 8);
        b[2] = static_cast<uint8_t>(m >> 16), b[3] = static_cast<uint8_t>(m >> 24);
        return b;
    };
    std::vector<std::vector<uint8_t>> damaged = {
        {},
        {1, 0, 0},
        withOffset(0xFFFFFFF0u),                             // metrics past the end
        withOffset(static_cast<uint32_t>(good.size())),      // no count, no height
        withOffset(static_cast<uint32_t>(good.size() - 1)),  // no height
        withOffset(4),                                       // no strip
        std::vector<uint8_t>(good.begin(), good.end() - 1),  // glyph table cut short
    };
    std::vector<uint8_t> tooMany = good;
    tooMany[metrics] = 200;  // more glyphs than the table holds
    damaged.push_back(tooMany);
    const Surface* strip = font.strip;
    for (size_t k = 0; k < damaged.size(); ++k) {
        FontModule bad(damaged[k]);
        EXPECT_EQ(LoadFont(&font, &bad.Module(), 1), 0) << k;
        EXPECT_EQ(font.strip, strip) << k;
        EXPECT_EQ(font.widths['A'], 7) << k;
    }
}

TEST_F(FontTest, AnUnreadableStripLeavesTheFontWithoutOne) {
    std::vector<uint8_t> bytes = FontResource(kGlyphs, kHeight);
    bytes[4] = 'X';  // no longer a BMP
    FontModule bad(bytes);
    EXPECT_EQ(LoadFont(&font, &bad.Module(), 1), 0);
    EXPECT_EQ(font.strip, nullptr);
    // Measuring goes on; drawing draws nothing.
    EXPECT_EQ(TextWidth(&font, "ab"), 12);
    SurfacePtr s(CreateSurface(20, 20));
    DrawColourText(&font, s.get(), 0, 0, "ab", 0xFFFF, 0);
    EXPECT_EQ(GetPixel(s.get(), 1, 1), 0);
}

TEST_F(FontTest, WidthsSkipColourCodesAndStopAtALineBreak) {
    EXPECT_EQ(TextWidth(&font, "#FF0000Ab"), 7 + 6);
    EXPECT_EQ(TextWidth(&font, "ab\rcd"), 12);
    EXPECT_EQ(TextWidth(&font, "a*b"), 12);
    EXPECT_EQ(TextWidth(&font, ""), 0);
    // A code cut short by the end of the text.
    EXPECT_EQ(TextWidth(&font, Exact("ab#FF").get()), 12);
    EXPECT_EQ(TextWidth(&font, Exact("a#").get()), 6);
}

TEST_F(FontTest, FittingBreaksAfterTheLastSpace) {
    const int fiveCharacters = 31;  // 30 fits, 36 does not
    EXPECT_EQ(FitText(&font, "aaa bbb", fiveCharacters), 4);
    EXPECT_EQ(FitText(&font, "aaaaaaa", fiveCharacters), 5);
    EXPECT_EQ(FitText(&font, "ab\rcd", fiveCharacters), 3);
    EXPECT_EQ(FitText(&font, "abc", fiveCharacters), 3);
    EXPECT_EQ(FitText(&font, "#FFFFFFabcdef", fiveCharacters), 12);
    EXPECT_EQ(FitText(&font, Exact("abc#FF").get(), fiveCharacters), 6);
    // Too narrow for even one character: the line still takes one.
    EXPECT_EQ(FitText(&font, "abc", 3), 1);
    EXPECT_EQ(FitText(&font, "#FF0000abc", 3), 7);
    EXPECT_EQ(FitText(&font, "", 100), 0);
}

TEST_F(FontTest, EllipsisMarksACutText) {
    char fits[] = "abc";
    EXPECT_EQ(FitTextEllipsis(&font, fits, 31), 3);
    EXPECT_STREQ(fits, "abc");
    char cut[] = "abcdefgh";
    EXPECT_EQ(FitTextEllipsis(&font, cut, 31), 5);
    EXPECT_STREQ(cut, "ab...fgh");
    char broken[] = "ab\rcdefgh";
    EXPECT_EQ(FitTextEllipsis(&font, broken, 31), 2);
    EXPECT_STREQ(broken, "ab\rcdefgh");
    char tiny[] = "abcdef";
    EXPECT_EQ(FitTextEllipsis(&font, tiny, 13), 2);
    EXPECT_STREQ(tiny, "abcdef");
    auto code = Exact("a#FF");
    EXPECT_EQ(FitTextEllipsis(&font, code.get(), 100), 4);
}

TEST_F(FontTest, ColourCodesSwitchTheTintAndTheLastColourStays) {
    SurfacePtr s(CreateSurface(80, 20));
    Clear(s.get(), 0);
    DrawColourText(&font, s.get(), 0, 0, "#FFFF00Hi #FFFFFFthere", 0x001F, 0);
    const uint16_t yellow = Inked(0xFFE0);
    const uint16_t white = Inked(0xFFFF);
    EXPECT_EQ(yellow, (27 << 11) | (55 << 5));
    EXPECT_EQ(GetPixel(s.get(), 0, 0), yellow);  // H
    EXPECT_EQ(GetPixel(s.get(), 4, 5), 0);       // H's blank last column
    EXPECT_EQ(GetPixel(s.get(), 6, 9), yellow);  // i
    EXPECT_EQ(GetPixel(s.get(), 10, 3), 0);      // space
    EXPECT_EQ(GetPixel(s.get(), 14, 3), white);  // t
    EXPECT_EQ(GetPixel(s.get(), 36, 3), white);  // the final e at 14 + 4 + 6 + 6 + 4
    EXPECT_EQ(GetPixel(s.get(), 14, 10), 0);     // below the line
    EXPECT_EQ(font.lastColour, 0xFFFF);
}

TEST_F(FontTest, TheColourCarriesIntoTheNextLine) {
    SurfacePtr s(CreateSurface(40, 30));
    Clear(s.get(), 0);
    DrawColourText(&font, s.get(), 2, 3, "a#F80000\rb", 0x07E0, 0);
    EXPECT_EQ(GetPixel(s.get(), 3, 4), Inked(0x07E0));
    EXPECT_EQ(GetPixel(s.get(), 3, 14), Inked(0xF800));
    EXPECT_EQ(font.lastColour, 0xF800);
    // Pairs that are no hexadecimal number end early: "G0" reads 0, "8G" 8.
    DrawColourText(&font, s.get(), 2, 3, "#G08G20a", 0, 0);
    EXPECT_EQ(font.lastColour, Rgb565(0, 8, 0x20));
}

TEST_F(FontTest, MultiLineTextIsCentredLineByLine) {
    SurfacePtr s(CreateSurface(40, 30));
    Clear(s.get(), 0);
    DrawColourText(&font, s.get(), -1, -1, "ab\rc", 0xFFFF, 0);
    // First line 12 wide at (40 - 12) / 2 = 14; second 6 wide at 17; the
    // first line's top at (30 - 10) / 2 = 10.
    EXPECT_EQ(GetPixel(s.get(), 13, 11), 0);
    EXPECT_EQ(GetPixel(s.get(), 14, 11), Inked(0xFFFF));
    EXPECT_EQ(GetPixel(s.get(), 14, 9), 0);
    EXPECT_EQ(GetPixel(s.get(), 16, 20), 0);
    EXPECT_EQ(GetPixel(s.get(), 17, 20), Inked(0xFFFF));
    EXPECT_EQ(GetPixel(s.get(), 21, 20), Inked(0xFFFF));
    EXPECT_EQ(GetPixel(s.get(), 22, 20), 0);
}

TEST_F(FontTest, TextEndingInsideACodeIsDrawnUpToItsEnd) {
    SurfacePtr s(CreateSurface(40, 20));
    Clear(s.get(), 0);
    auto text = Exact("a#FF00");
    DrawColourText(&font, s.get(), 0, 0, text.get(), 0x001F, 0);
    EXPECT_EQ(GetPixel(s.get(), 0, 1), Inked(0x001F));
    EXPECT_EQ(font.lastColour, 0x001F);
}

TEST_F(FontTest, TransparencyScalesTheCoverage) {
    SurfacePtr s(CreateSurface(10, 10));
    Clear(s.get(), 0);
    DrawColourText(&font, s.get(), 0, 0, "a", 0xF800, 16);
    // BlendTable[28][15] = 14: 14/32 of red.
    EXPECT_EQ(GetPixel(s.get(), 0, 1), 13 << 11);
}

TEST_F(FontTest, ColourKeyedFontsDrawTheirOwnPixels) {
    FontModule keyed(FontResource(kGlyphs, kHeight, 0x40, 0xFF));
    BitmapFont k;
    ASSERT_EQ(LoadFont(&k, &keyed.Module(), 1), 1);
    EXPECT_EQ(k.keyColour, 0xFFFF);
    k.lastColour = 0x1234;
    SurfacePtr s(CreateSurface(40, 12));
    Clear(s.get(), 0x001F);
    DrawColourText(&k, s.get(), 0, 0, "a#b", 0xF800, 0);
    const uint16_t ink = Rgb565(0x40, 0x40, 0x40);
    EXPECT_EQ(GetPixel(s.get(), 1, 1), ink);
    EXPECT_EQ(GetPixel(s.get(), 5, 1), 0x001F);  // key colour: left alone
    EXPECT_EQ(GetPixel(s.get(), 7, 1), ink);     // "#" is a glyph here
    EXPECT_EQ(GetPixel(s.get(), 15, 1), ink);    // then b
    EXPECT_EQ(k.lastColour, 0x1234);
    Clear(s.get(), 0x0000);
    DrawText(&k, s.get(), 0, 0, "a", 16);
    EXPECT_EQ(GetPixel(s.get(), 1, 1), (4 << 11) | (8 << 5) | 4);  // half of the ink
}

TEST_F(FontTest, GlyphsOutsideTheSurfaceAreClipped) {
    SurfacePtr s(CreateSurface(8, 8));
    Clear(s.get(), 0);
    DrawColourText(&font, s.get(), -3, -2, "", 0xFFFF, 0);
    DrawColourText(&font, s.get(), 5, 4, "aA", 0xFFFF, 0);
    EXPECT_EQ(GetPixel(s.get(), 7, 7), Inked(0xFFFF));
    EXPECT_EQ(GetPixel(s.get(), 4, 7), 0);
}

}  // namespace
}  // namespace ampliro
