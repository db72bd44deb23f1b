#include <gtest/gtest.h>

#include <memory>

#include "gfx/surface.h"
#include "tests/gfx/test_pictures.h"

namespace ampliro {
namespace {

using testing::Filled;
using testing::SurfacePtr;

// Every pixel tells where it came from: x in the low byte, y in the high one.
SurfacePtr Numbered(int32_t w, int32_t h) {
    SurfacePtr s(CreateSurface(w, h));
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) s->Row(y)[x] = static_cast<uint16_t>((y << 8) | x);
    }
    return s;
}

uint16_t At(int32_t x, int32_t y) {
    return static_cast<uint16_t>((y << 8) | x);
}

TEST(BlitTest, ClippedAtTheLeftEdgeDrawsTheRemainingColumns) {
    SurfacePtr target = Filled(30, 10, 0xFFFF);
    SurfacePtr source = Numbered(40, 10);
    Blit(target.get(), -5, 0, 20, 1, source.get(), 2, 3, 0, 0, kBlitCopy);
    for (int32_t x = 0; x < 15; ++x) EXPECT_EQ(GetPixel(target.get(), x, 0), At(x + 7, 3)) << x;
    EXPECT_EQ(GetPixel(target.get(), 15, 0), 0xFFFF);
    EXPECT_EQ(GetPixel(target.get(), 0, 1), 0xFFFF);
}

TEST(BlitTest, PastTheRightOrBottomEdgeDrawsNothing) {
    SurfacePtr target = Filled(10, 10, 0xFFFF);
    SurfacePtr source = Numbered(10, 10);
    Blit(target.get(), 10, 0, 5, 5, source.get(), 0, 0, 0, 0, kBlitCopy);
    Blit(target.get(), 0, 10, 5, 5, source.get(), 0, 0, 0, 0, kBlitCopy);
    Blit(target.get(), 3, 3, 0, 5, source.get(), 0, 0, 0, 0, kBlitCopy);
    for (int32_t y = 0; y < 10; ++y) {
        for (int32_t x = 0; x < 10; ++x) ASSERT_EQ(GetPixel(target.get(), x, y), 0xFFFF);
    }
    // Up to the far edge: the last column and row are drawn.
    Blit(target.get(), 8, 8, 5, 5, source.get(), 0, 0, 0, 0, kBlitCopy);
    EXPECT_EQ(GetPixel(target.get(), 9, 9), At(1, 1));
}

TEST(BlitTest, ASourceRectangleOutsideItsSurfaceIsClippedToIt) {
    SurfacePtr target = Filled(20, 20, 0xFFFF);
    SurfacePtr source = Numbered(8, 8);
    // Source x -3 .. 6 and y 5 .. 9: only x 0..6 and y 5..7 exist.
    Blit(target.get(), 4, 4, 10, 5, source.get(), -3, 5, 0, 0, kBlitCopy);
    EXPECT_EQ(GetPixel(target.get(), 6, 4), 0xFFFF);
    EXPECT_EQ(GetPixel(target.get(), 7, 4), At(0, 5));
    EXPECT_EQ(GetPixel(target.get(), 13, 6), At(6, 7));
    EXPECT_EQ(GetPixel(target.get(), 14, 6), 0xFFFF);
    EXPECT_EQ(GetPixel(target.get(), 7, 7), 0xFFFF);
    // Blitting from a surface's far edge onwards draws nothing.
    SurfacePtr untouched = Filled(20, 20, 0xFFFF);
    Blit(untouched.get(), 0, 0, 5, 5, source.get(), 8, 0, 0, 0, kBlitCopy);
    EXPECT_EQ(GetPixel(untouched.get(), 0, 0), 0xFFFF);
}

TEST(BlitTest, BlendAndKeyModes) {
    SurfacePtr source = Filled(2, 1, 0x0000);
    source->Row(0)[1] = 0xF81F;
    SurfacePtr target = Filled(2, 1, 0xFFFF);
    Blit(target.get(), 0, 0, 2, 1, source.get(), 0, 0, 8, 0xF81F, kBlitBlend);
    EXPECT_EQ(GetPixel(target.get(), 0, 0), 0x39E7);
    Clear(target.get(), 0xFFFF);
    Blit(target.get(), 0, 0, 2, 1, source.get(), 0, 0, 0, 0xF81F, kBlitKey);
    EXPECT_EQ(GetPixel(target.get(), 0, 0), 0x0000);
    EXPECT_EQ(GetPixel(target.get(), 1, 0), 0xFFFF);
    Clear(target.get(), 0xFFFF);
    Blit(target.get(), 0, 0, 2, 1, source.get(), 0, 0, 8, 0xF81F, kBlitKeyBlend);
    EXPECT_EQ(GetPixel(target.get(), 0, 0), 0x39E7);
    EXPECT_EQ(GetPixel(target.get(), 1, 0), 0xFFFF);
    // Modes the blitter does not know draw nothing.
    Blit(target.get(), 0, 0, 2, 1, source.get(), 0, 0, 0, 0, 5);
    EXPECT_EQ(GetPixel(target.get(), 0, 0), 0x39E7);
}

TEST(BlitTest, TintedMaskWeighsTheTintByTheTable) {
    BuildBlendTable();
    SurfacePtr mask = Filled(3, 1, 0);
    mask->Row(0)[0] = 28;
    mask->Row(0)[1] = 0xE71C;  // a grey level: only the low five bits count
    SurfacePtr target = Filled(3, 1, 0x0000);
    Blit(target.get(), 0, 0, 3, 1, mask.get(), 0, 0, 0, 0xFFFF, kBlitTint);
    // Weight BlendTable[28][31] = 28: 28/32 of white over black.
    const uint16_t expected = (27 << 11) | (55 << 5) | 27;
    EXPECT_EQ(GetPixel(target.get(), 0, 0), expected);
    EXPECT_EQ(GetPixel(target.get(), 1, 0), expected);
    EXPECT_EQ(GetPixel(target.get(), 2, 0), 0x0000);
    // The old colour keeps 4/32: black tint over white.
    Clear(target.get(), 0xFFFF);
    Blit(target.get(), 0, 0, 1, 1, mask.get(), 0, 0, 0, 0x0000, kBlitTint);
    EXPECT_EQ(GetPixel(target.get(), 0, 0), (3 << 11) | (7 << 5) | 3);
    // A transparency of 16 uses BlendTable[28][15] = 14.
    Clear(target.get(), 0x0000);
    Blit(target.get(), 0, 0, 1, 1, mask.get(), 0, 0, 16, 0xF800, kBlitTint);
    EXPECT_EQ(GetPixel(target.get(), 0, 0), 13 << 11);
}

TEST(BlitTest, ScrollingWithinOneSurfaceKeepsEveryRow) {
    SurfacePtr s = Numbered(4, 6);
    Blit(s.get(), 0, 2, 4, 4, s.get(), 0, 0, 0, 0, kBlitCopy);
    for (int32_t y = 2; y < 6; ++y) EXPECT_EQ(GetPixel(s.get(), 3, y), At(3, y - 2)) << y;
}

TEST(StretchBlitTest, NearestSamplesWithTruncatingSteps) {
    SurfacePtr source = Numbered(4, 2);
    SurfacePtr target = Filled(8, 4, 0xFFFF);
    StretchBlit(target.get(), source.get(), 0, 0, 8, 4, 0, 0, kBlitCopy);
    for (int32_t y = 0; y < 4; ++y) {
        for (int32_t x = 0; x < 8; ++x) EXPECT_EQ(GetPixel(target.get(), x, y), At(x / 2, y / 2));
    }
    // Shrinking 4 -> 3: step = (4 << 16) / 3 = 87381, columns 0, 1, 2.
    SurfacePtr small = Filled(3, 1, 0xFFFF);
    StretchBlit(small.get(), source.get(), 0, 0, 3, 1, 0, 0, kBlitCopy);
    EXPECT_EQ(GetPixel(small.get(), 0, 0), At(0, 0));
    EXPECT_EQ(GetPixel(small.get(), 1, 0), At(1, 0));
    EXPECT_EQ(GetPixel(small.get(), 2, 0), At(2, 0));
}

TEST(StretchBlitTest, ClippedTargetsKeepTheUnclippedMapping) {
    SurfacePtr source = Numbered(4, 4);
    SurfacePtr target = Filled(4, 4, 0xFFFF);
    StretchBlit(target.get(), source.get(), -4, -4, 8, 8, 0, 0, kBlitCopy);
    EXPECT_EQ(GetPixel(target.get(), 0, 0), At(2, 2));
    EXPECT_EQ(GetPixel(target.get(), 3, 3), At(3, 3));
    StretchBlit(target.get(), source.get(), 0, 0, 2, 2, 0, 0xFFFF, kBlitKey);
    EXPECT_EQ(GetPixel(target.get(), 1, 1), At(2, 2));
}

TEST(MaskBlitTest, MaskWeightsBlendSourceOverTarget) {
    SurfacePtr source = Filled(4, 1, 0xFFFF);
    SurfacePtr mask = Filled(4, 1, 0);
    mask->Row(0)[0] = 31;
    mask->Row(0)[1] = 15;
    mask->Row(0)[2] = 0x20;  // non-zero, low bits 0: weight 1 of 32
    SurfacePtr target = Filled(4, 1, 0x0000);
    MaskBlit(target.get(), 0, 0, 4, 1, source.get(), 0, 0, 0, 0, mask.get());
    EXPECT_EQ(GetPixel(target.get(), 0, 0), 0xFFFF);
    EXPECT_EQ(GetPixel(target.get(), 1, 0), (15 << 11) | (31 << 5) | 15);
    EXPECT_EQ(GetPixel(target.get(), 2, 0), (0 << 11) | (1 << 5) | 0);
    EXPECT_EQ(GetPixel(target.get(), 3, 0), 0x0000);
}

TEST(MaskBlitTest, RectanglesOutsideAnySurfaceAreClipped) {
    SurfacePtr source = Numbered(39, 39);
    SurfacePtr mask = Filled(39, 39, 31);
    SurfacePtr target = Filled(20, 20, 0x0000);
    // Target, source and mask each overhang in a different direction.
    MaskBlit(target.get(), 15, -3, 39, 39, source.get(), 0, 0, 4, 0, mask.get());
    EXPECT_EQ(GetPixel(target.get(), 14, 0), 0);
    EXPECT_EQ(GetPixel(target.get(), 15, 0), At(0, 3));
    EXPECT_EQ(GetPixel(target.get(), 19, 19), At(4, 22));
    SurfacePtr big = Filled(100, 100, 0x0000);
    MaskBlit(big.get(), 10, 10, 39, 39, source.get(), 0, 0, 4, 2, mask.get());
    EXPECT_EQ(GetPixel(big.get(), 10 + 34, 10 + 36), At(34, 36));
    EXPECT_EQ(GetPixel(big.get(), 10 + 35, 10), 0);
    EXPECT_EQ(GetPixel(big.get(), 10, 10 + 37), 0);
}

}  // namespace
}  // namespace ampliro
