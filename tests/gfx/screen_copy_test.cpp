#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "display/memory_display.h"
#include "gfx/surface.h"

namespace ampliro {
namespace {

using SurfacePtr = std::unique_ptr<Surface>;

SurfacePtr Numbered(int32_t w, int32_t h) {
    SurfacePtr s(CreateSurface(w, h));
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) s->Row(y)[x] = static_cast<uint16_t>(y * 251 + x);
    }
    return s;
}

SurfacePtr Filled(int32_t w, int32_t h, uint16_t colour) {
    SurfacePtr s(CreateSurface(w, h));
    Clear(s.get(), colour);
    return s;
}

TEST(CopySurfaceTest, EqualSizesCopyEveryByte) {
    SurfacePtr source = Numbered(7, 5);
    source->Row(2)[7] = 0xABCD;  // row padding travels with a block copy
    SurfacePtr target = Filled(7, 5, 0);
    CopySurface(target.get(), source.get());
    EXPECT_EQ(std::memcmp(target->pixels, source->pixels, source->pitch * 5), 0);

    // Another pitch: row by row, the pixels only.
    uint16_t memory[5 * 10] = {};
    SurfacePtr wide(WrapSurface(memory, 7, 5, 20));
    CopySurface(wide.get(), source.get());
    EXPECT_EQ(GetPixel(wide.get(), 6, 4), GetPixel(source.get(), 6, 4));
    EXPECT_EQ(memory[2 * 10 + 7], 0);
}

TEST(CopySurfaceTest, OtherSizesAreScaledToTheWholeTarget) {
    SurfacePtr source = Numbered(2, 2);
    SurfacePtr target = Filled(4, 6, 0xFFFF);
    CopySurface(target.get(), source.get());
    EXPECT_EQ(GetPixel(target.get(), 0, 0), GetPixel(source.get(), 0, 0));
    EXPECT_EQ(GetPixel(target.get(), 3, 5), GetPixel(source.get(), 1, 1));
    EXPECT_EQ(GetPixel(target.get(), 1, 2), GetPixel(source.get(), 0, 0));
    // Vertical step (2 << 16) / 6 = 21845 truncates: row 3 still samples row 0.
    EXPECT_EQ(GetPixel(target.get(), 2, 3), GetPixel(source.get(), 1, 0));
    EXPECT_EQ(GetPixel(target.get(), 2, 4), GetPixel(source.get(), 1, 1));
}

TEST(CopySurfaceTest, ScaledAndCroppedCopies) {
    SurfacePtr source = Numbered(10, 8);
    SurfacePtr same(ScaledCopy(source.get(), 0, 0));
    ASSERT_TRUE(same);
    EXPECT_EQ(same->width, 10);
    EXPECT_EQ(std::memcmp(same->pixels, source->pixels, source->pitch * 8), 0);
    SurfacePtr half(ScaledCopy(source.get(), 5, 4));
    EXPECT_EQ(GetPixel(half.get(), 4, 3), GetPixel(source.get(), 8, 6));
    SurfacePtr crop(CropCopy(source.get(), 3, 2, 4, 4));
    EXPECT_EQ(crop->width, 4);
    EXPECT_EQ(GetPixel(crop.get(), 0, 0), GetPixel(source.get(), 3, 2));
    EXPECT_EQ(GetPixel(crop.get(), 3, 3), GetPixel(source.get(), 6, 5));
    // Beyond the source's edge the crop stays black.
    SurfacePtr edge(CropCopy(source.get(), 8, 6, 4, 4));
    EXPECT_EQ(GetPixel(edge.get(), 1, 1), GetPixel(source.get(), 9, 7));
    EXPECT_EQ(GetPixel(edge.get(), 2, 2), 0);
    EXPECT_EQ(ScaledCopy(nullptr, 0, 0), nullptr);
}

TEST(ScreenTest, GrabScreenCopiesTheBackBufferAndPresents) {
    MemoryDisplay display(16, 12);
    ASSERT_TRUE(display.BeginScene());
    Clear(display.GetBackBuffer(), 0x07E0);
    display.GetBackBuffer()->Row(11)[15] = 0xF800;
    display.Present(0);
    SurfacePtr grabbed(GrabScreen(&display, 0, 0));
    ASSERT_TRUE(grabbed);
    EXPECT_EQ(grabbed->width, 16);
    EXPECT_EQ(GetPixel(grabbed.get(), 15, 11), 0xF800);
    EXPECT_EQ(display.PresentCount(), 2);
    EXPECT_FALSE(display.InScene());

    SurfacePtr small(GrabScreen(&display, 8, 6));
    EXPECT_EQ(GetPixel(small.get(), 7, 5), GetPixel(grabbed.get(), 14, 10));

    display.SetActive(false);
    EXPECT_EQ(GrabScreen(&display, 0, 0), nullptr);
    EXPECT_EQ(GrabScreen(nullptr, 0, 0), nullptr);
    EXPECT_EQ(display.PresentCount(), 3);
}

TEST(ScreenTest, ShowSurfaceReturnsThePresentResult) {
    MemoryDisplay display(8, 8);
    SurfacePtr image = Numbered(8, 8);
    EXPECT_EQ(ShowSurface(&display, image.get()), 1);
    EXPECT_EQ(display.PresentedPixel(5, 6), GetPixel(image.get(), 5, 6));
    display.SetActive(false);
    EXPECT_EQ(ShowSurface(&display, image.get()), 0);
    EXPECT_EQ(display.PresentCount(), 1);
}

TEST(CrossFadeTest, SeventeenFramesFromTheScreenToTheImage) {
    BuildBlendTable();
    MemoryDisplay display(8, 4);
    ASSERT_EQ(ShowSurface(&display, Filled(8, 4, 0xFFFF).get()), 1);
    SurfacePtr black = Filled(8, 4, 0x0000);
    CrossFade(&display, black.get(), 500);
    // One present for the snapshot, then alpha 32, 30, ..., 0.
    ASSERT_EQ(display.PresentCount(), 1 + 1 + 17);
    const auto& times = display.PresentTimes();
    for (size_t i = 3; i < times.size(); ++i) EXPECT_GE(times[i] - times[i - 1], 15u) << i;
    EXPECT_EQ(display.PresentedPixel(3, 3), 0x0000);
}

TEST(CrossFadeTest, FramesBlendAtDecreasingAlpha) {
    // The last two frames of a fade to black from white: alpha 2 then 0.
    MemoryDisplay display(2, 2);
    ShowSurface(&display, Filled(2, 2, 0xFFFF).get());
    SurfacePtr black = Filled(2, 2, 0x0000);
    CrossFade(&display, black.get(), 31);  // 31 >> 5 = 0: no waiting
    EXPECT_EQ(display.PresentCount(), 19);
    EXPECT_EQ(display.PresentedPixel(0, 0), 0);
}

TEST(CrossFadeTest, DurationZeroShowsTheImageAtOnceAndScalesIt) {
    MemoryDisplay display(8, 8);
    SurfacePtr image = Numbered(4, 4);
    CrossFade(&display, image.get(), 0);
    EXPECT_EQ(display.PresentCount(), 2);
    EXPECT_EQ(display.PresentedPixel(7, 7), GetPixel(image.get(), 3, 3));
    display.SetActive(false);
    CrossFade(&display, image.get(), 100);
    EXPECT_EQ(display.PresentCount(), 2);
}

}  // namespace
}  // namespace ampliro
