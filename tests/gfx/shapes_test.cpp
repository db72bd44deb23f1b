#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "gfx/surface.h"
#include "tests/gfx/test_pictures.h"

namespace ampliro {
namespace {

using testing::Filled;
using testing::SurfacePtr;

int Count(const Surface* s, uint16_t colour) {
    int n = 0;
    for (int32_t y = 0; y < s->height; ++y) {
        for (int32_t x = 0; x < s->width; ++x) n += GetPixel(s, x, y) == colour;
    }
    return n;
}

TEST(FillTest, SolidFillCoversTheInclusiveRectangle) {
    SurfacePtr s = Filled(10, 10, 0);
    FillRect(s.get(), 2, 3, 4, 5, 0xF800, 0);
    EXPECT_EQ(Count(s.get(), 0xF800), 9);
    EXPECT_EQ(GetPixel(s.get(), 2, 3), 0xF800);
    EXPECT_EQ(GetPixel(s.get(), 4, 5), 0xF800);
    EXPECT_EQ(GetPixel(s.get(), 5, 5), 0);
    FillRect(s.get(), 6, 6, 5, 8, 0x001F, 0);  // inverted: nothing
    EXPECT_EQ(Count(s.get(), 0x001F), 0);
}

TEST(FillTest, AlphaIsTheShareOfTheOldPixel) {
    SurfacePtr s = Filled(4, 4, 0xFFFF);
    FillRect(s.get(), 0, 0, 3, 3, 0x0000, 8);
    EXPECT_EQ(GetPixel(s.get(), 1, 1), 0x39E7);
    FillRect(s.get(), 0, 0, 0, 0, 0xF800, 32);
    EXPECT_EQ(GetPixel(s.get(), 0, 0), 0x39E7);
    // Half of red over half of blue.
    SurfacePtr t = Filled(1, 1, 0x001F);
    FillRect(t.get(), 0, 0, 0, 0, 0xF800, 16);
    EXPECT_EQ(GetPixel(t.get(), 0, 0), (15 << 11) | 15);
}

TEST(FillTest, EdgesAreClampedToTheSurface) {
    SurfacePtr s = Filled(5, 5, 0);
    FillRect(s.get(), -10, -10, 100, 1, 0x07E0, 0);
    EXPECT_EQ(Count(s.get(), 0x07E0), 10);
    // A rectangle wholly outside lands on the nearest edge pixel.
    SurfacePtr t = Filled(5, 5, 0);
    FillRect(t.get(), 7, 7, 9, 9, 0x07E0, 0);
    EXPECT_EQ(Count(t.get(), 0x07E0), 1);
    EXPECT_EQ(GetPixel(t.get(), 4, 4), 0x07E0);
}

TEST(GradientTest, RunsFromNearlyTheFirstColourToExactlyTheSecond) {
    SurfacePtr s = Filled(4, 2, 0);
    GradientFill(s.get(), 0, 0, 4, 2, 0xFFFF, 0x0000, 0);
    // t = ((4 - i - 1) * 32) / 4 = 24, 16, 8, 0: A weighted t/32.
    const uint16_t expected[4] = {(23 << 11) | (47 << 5) | 23, (15 << 11) | (31 << 5) | 15,
                                  (7 << 11) | (15 << 5) | 7, 0};
    for (int32_t x = 0; x < 4; ++x) {
        EXPECT_EQ(GetPixel(s.get(), x, 0), expected[x]) << x;
        EXPECT_EQ(GetPixel(s.get(), x, 1), expected[x]) << x;
    }
    SurfacePtr v = Filled(3, 3, 0);
    GradientFill(v.get(), 0, 1, 3, 2, 0x0000, 0xF800, 1);
    EXPECT_EQ(GetPixel(v.get(), 2, 0), 0);         // above the rectangle
    EXPECT_EQ(GetPixel(v.get(), 1, 1), 15 << 11);  // t = 16
    EXPECT_EQ(GetPixel(v.get(), 1, 2), 0xF800);    // t = 0
}

TEST(GradientTest, APartlyOutsideRectangleKeepsItsShading) {
    SurfacePtr s = Filled(2, 1, 0x1234);
    GradientFill(s.get(), -2, 0, 4, 5, 0xFFFF, 0x0000, 0);
    EXPECT_EQ(GetPixel(s.get(), 0, 0), (7 << 11) | (15 << 5) | 7);
    EXPECT_EQ(GetPixel(s.get(), 1, 0), 0);
}

TEST(LineTest, HorizontalAndVerticalLinesIncludeBothEnds) {
    SurfacePtr s = Filled(10, 10, 0);
    HLine(s.get(), 4, 4, 0, 0xFFFF);
    EXPECT_EQ(Count(s.get(), 0xFFFF), 1);
    EXPECT_EQ(GetPixel(s.get(), 4, 4), 0xFFFF);
    VLine(s.get(), 0, 2, 3, 0xF800);
    EXPECT_EQ(Count(s.get(), 0xF800), 4);
    EXPECT_EQ(GetPixel(s.get(), 0, 5), 0xF800);
    EXPECT_EQ(GetPixel(s.get(), 0, 6), 0);
    // Clamped: a line below the surface is drawn along the bottom row.
    HLine(s.get(), -3, 50, 100, 0x001F);
    EXPECT_EQ(Count(s.get(), 0x001F), 10);
    HLine(s.get(), 5, 0, -2, 0x07E0);
    EXPECT_EQ(Count(s.get(), 0x07E0), 0);
}

TEST(LineTest, FrameOutlinesTheInclusiveSquare) {
    SurfacePtr s = Filled(12, 12, 0);
    FrameRect(s.get(), 0, 0, 9, 9, 0xFFFF);
    EXPECT_EQ(Count(s.get(), 0xFFFF), 36);
    EXPECT_EQ(GetPixel(s.get(), 9, 9), 0xFFFF);
    EXPECT_EQ(GetPixel(s.get(), 9, 5), 0xFFFF);
    EXPECT_EQ(GetPixel(s.get(), 10, 9), 0);
    EXPECT_EQ(GetPixel(s.get(), 5, 5), 0);
}

TEST(LineTest, SlopedLinesStartAtTheUpperEnd) {
    SurfacePtr s = Filled(12, 12, 0);
    Line(s.get(), 3, 3, 3, 3, 0xFFFF);
    EXPECT_EQ(Count(s.get(), 0xFFFF), 0);
    Line(s.get(), 0, 10, 10, 0, 0xFFFF);
    EXPECT_EQ(Count(s.get(), 0xFFFF), 11);
    for (int i = 0; i <= 10; ++i) EXPECT_EQ(GetPixel(s.get(), 10 - i, i), 0xFFFF) << i;

    // From (10, 0) down to (0, 3): steps of -1 and 3/10 pixel. Starting at
    // the other end would round differently.
    SurfacePtr t = Filled(12, 12, 0);
    Line(t.get(), 0, 3, 10, 0, 0xFFFF);
    const int32_t rows[11] = {0, 0, 0, 0, 1, 1, 1, 2, 2, 2, 2};
    for (int i = 0; i <= 10; ++i) EXPECT_EQ(GetPixel(t.get(), 10 - i, rows[i]), 0xFFFF) << i;
    EXPECT_EQ(Count(t.get(), 0xFFFF), 11);
}

TEST(LineTest, PointsOutsideAreSkippedAndPolylinesJoinSegments) {
    SurfacePtr s = Filled(5, 5, 0);
    Line(s.get(), -5, 2, 9, 2, 0xFFFF);
    EXPECT_EQ(Count(s.get(), 0xFFFF), 5);
    SurfacePtr t = Filled(5, 5, 0);
    const int32_t square[] = {0, 0, 4, 0, 4, 4, 0, 4, 0, 0};
    Polyline(t.get(), square, 5, 0xF800);
    EXPECT_EQ(Count(t.get(), 0xF800), 16);
    Polyline(t.get(), square, 1, 0x001F);
    EXPECT_EQ(Count(t.get(), 0x001F), 0);
}

}  // namespace
}  // namespace ampliro
