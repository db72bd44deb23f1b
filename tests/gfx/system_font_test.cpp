#include <gtest/gtest.h>

#include <memory>

#include "gfx/font.h"
#include "gfx/surface.h"

namespace ampliro {
namespace {

using SurfacePtr = std::unique_ptr<Surface>;

uint8_t RowBits(const Surface* s, int x, int y, uint16_t colour) {
    uint8_t bits = 0;
    for (int b = 0; b < 8; ++b) {
        if (GetPixel(s, x + b, y) == colour) bits |= static_cast<uint8_t>(0x80 >> b);
    }
    return bits;
}

TEST(SystemFontTest, DrawsTheVgaGlyphsInTheColour) {
    SurfacePtr s(CreateSurface(32, 16));
    Clear(s.get(), 0);
    DrawSystemText(s.get(), 0, 0, "A \xDB", 0xF800);
    // The VGA capital A: a point, widening to two legs and a bar.
    EXPECT_EQ(RowBits(s.get(), 0, 0, 0xF800), 0x00);
    EXPECT_EQ(RowBits(s.get(), 0, 2, 0xF800), 0x10);
    EXPECT_EQ(RowBits(s.get(), 0, 3, 0xF800), 0x38);
    EXPECT_EQ(RowBits(s.get(), 0, 5, 0xF800), 0xC6);
    EXPECT_EQ(RowBits(s.get(), 0, 7, 0xF800), 0xFE);
    EXPECT_EQ(RowBits(s.get(), 0, 15, 0xF800), 0x00);
    for (int y = 0; y < 16; ++y) {
        EXPECT_EQ(RowBits(s.get(), 8, y, 0xF800), 0x00) << y;   // space
        EXPECT_EQ(RowBits(s.get(), 16, y, 0xF800), 0xFF) << y;  // full block, code 219
    }
}

TEST(SystemFontTest, CentresAndStopsAtTheFirstCellOutside) {
    SurfacePtr s(CreateSurface(40, 20));
    Clear(s.get(), 0);
    DrawSystemText(s.get(), -1, 2, "\xDB\xDB", 0xFFFF);
    EXPECT_EQ(GetPixel(s.get(), 11, 2), 0);
    EXPECT_EQ(GetPixel(s.get(), 12, 2), 0xFFFF);
    EXPECT_EQ(GetPixel(s.get(), 27, 17), 0xFFFF);
    EXPECT_EQ(GetPixel(s.get(), 28, 2), 0);

    SurfacePtr narrow(CreateSurface(20, 16));
    Clear(narrow.get(), 0);
    DrawSystemText(narrow.get(), 0, 0, "\xDB\xDB\xDB", 0xFFFF);
    EXPECT_EQ(GetPixel(narrow.get(), 15, 0), 0xFFFF);
    EXPECT_EQ(GetPixel(narrow.get(), 16, 0), 0);
    // A cell below the bottom edge: nothing at all.
    DrawSystemText(narrow.get(), 0, 1, "\xDB", 0x001F);
    EXPECT_EQ(GetPixel(narrow.get(), 0, 1), 0xFFFF);
}

TEST(SystemFontTest, FittingLeavesRoomForOneMoreCell) {
    EXPECT_EQ(FitSystemText("abcdefgh", 41), 5);
    EXPECT_EQ(FitSystemText("abcdefgh", 40), 4);
    EXPECT_EQ(FitSystemText("abcd", 41), 4);
    EXPECT_EQ(FitSystemText("hello world", 64), 6);
    EXPECT_EQ(FitSystemText("ab\rcd", 100), 3);
    EXPECT_EQ(FitSystemText("abc", 8), 1);
    EXPECT_EQ(FitSystemText("", 8), 0);
}

}  // namespace
}  // namespace ampliro
