#include "gfx/surface.h"

#include <gtest/gtest.h>

#include <memory>

namespace ampliro {
namespace {

using SurfacePtr = std::unique_ptr<Surface>;

TEST(SurfaceTest, CreatedSurfacesRoundThePitchUpToFourBytes) {
    SurfacePtr odd(CreateSurface(3, 2));
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->pitch, 8u);
    EXPECT_EQ(odd->ownsPixels, 1);
    EXPECT_EQ(GetPixel(odd.get(), 2, 1), 0);
    SurfacePtr even(CreateGdiSurface(240, 320));
    ASSERT_TRUE(even);
    EXPECT_EQ(even->pitch, 480u);
    EXPECT_EQ(CreateSurface(0, 5), nullptr);
    EXPECT_EQ(CreateSurface(5, -1), nullptr);
    EXPECT_EQ(CreateSurface(1 << 20, 1 << 20), nullptr);
}

TEST(SurfaceTest, WrappedMemoryStaysTheCallers) {
    uint16_t memory[4 * 3] = {};
    {
        SurfacePtr wrapped(WrapSurface(memory, 3, 3, 8));
        ASSERT_TRUE(wrapped);
        EXPECT_EQ(wrapped->ownsPixels, 0);
        Clear(wrapped.get(), 0x1234);
    }
    // pitch * height bytes are set, the row padding included.
    for (uint16_t p : memory) EXPECT_EQ(p, 0x1234);
}

TEST(SurfaceTest, RowsStepByThePitchWithItsLowBitCleared) {
    uint16_t memory[12] = {};
    SurfacePtr wrapped(WrapSurface(memory, 2, 2, 9));
    EXPECT_EQ(wrapped->Row(1), memory + 4);
}

TEST(SurfaceTest, GetPixelOutsideTheSurfaceReadsZero) {
    SurfacePtr s(CreateSurface(4, 4));
    Clear(s.get(), 0xFFFF);
    EXPECT_EQ(GetPixel(s.get(), 3, 3), 0xFFFF);
    EXPECT_EQ(GetPixel(s.get(), 4, 0), 0);
    EXPECT_EQ(GetPixel(s.get(), 0, -1), 0);
}

TEST(SurfaceTest, ColourConversionsTruncate) {
    EXPECT_EQ(Rgb565(255, 255, 255), 0xFFFF);
    EXPECT_EQ(Rgb565(0x12, 0x34, 0x56), ((0x10 << 8) | (0x34 << 3) | (0x56 >> 3)));
    const Rgb888 c = Unpack565(0xF81F);
    EXPECT_EQ(c.r, 0xF8);
    EXPECT_EQ(c.g, 0);
    EXPECT_EQ(c.b, 0xF8);
}

TEST(SurfaceTest, BlendTableIsTheCeilingOfTheScaledProduct) {
    BuildBlendTable();
    EXPECT_EQ(BlendTable[28][31], 28);
    EXPECT_EQ(BlendTable[31][17], 17);
    EXPECT_EQ(BlendTable[0][31], 0);
    EXPECT_EQ(BlendTable[1][1], 1);    // ceil(1/31)
    EXPECT_EQ(BlendTable[16][16], 9);  // ceil(256/31) = ceil(8.26)
    EXPECT_EQ(BlendTable[10][15], 5);  // ceil(150/31) = ceil(4.84)
}

}  // namespace
}  // namespace ampliro
