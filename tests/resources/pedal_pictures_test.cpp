// The pedal pictures read as nine different pedals, and the white captions
// that the panels draw over them land on dark ground.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/resources/resource_support.h"

namespace ampliro {
namespace {

using testing::Blue5;
using testing::Green6;
using testing::LoadProgramImage;
using testing::Luma;
using testing::Red5;
using testing::SurfacePtr;

struct Mean {
    int r, g, b, luma;
};

Mean MeanOver(const Surface* s, int x0, int y0, int x1, int y1) {
    long r = 0, g = 0, b = 0, l = 0, n = 0;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const uint16_t p = GetPixel(s, x, y);
            r += Red5(p) * 8;
            g += Green6(p) * 4;
            b += Blue5(p) * 8;
            l += Luma(p);
            ++n;
        }
    }
    return {static_cast<int>(r / n), static_cast<int>(g / n), static_cast<int>(b / n),
            static_cast<int>(l / n)};
}

TEST(PedalPictures, EachPedalHasItsOwnEnclosureColour) {
    std::vector<Mean> paint;
    for (int number = 140; number <= 148; ++number) {
        SurfacePtr picture = LoadProgramImage(kResourceGif, number);
        ASSERT_NE(picture, nullptr);
        // A patch of bare enclosure to the right of the knobs.
        paint.push_back(MeanOver(picture.get(), 219, 84, 225, 92));
    }
    for (size_t i = 0; i < paint.size(); ++i) {
        for (size_t j = i + 1; j < paint.size(); ++j) {
            const int distance = std::abs(paint[i].r - paint[j].r) +
                                 std::abs(paint[i].g - paint[j].g) +
                                 std::abs(paint[i].b - paint[j].b);
            EXPECT_GT(distance, 40) << 140 + i << " and " << 140 + j;
        }
    }
}

TEST(PedalPictures, WhiteCaptionsSitOnDarkGround) {
    for (int number = 140; number <= 148; ++number) {
        SCOPED_TRACE(number);
        SurfacePtr picture = LoadProgramImage(kResourceGif, number);
        ASSERT_NE(picture, nullptr);
        // "Power" right of the lamp at (20, 12, 15, 15).
        EXPECT_LT(MeanOver(picture.get(), 40, 13, 70, 25).luma, 50);
        if (number == 147) continue;  // no Peak lamp, no Level slider
        if (number == 144) {
            // "Peak" right of (90, 12) and "Level" under the slider at (23, 30, 15, 100).
            EXPECT_LT(MeanOver(picture.get(), 110, 13, 135, 25).luma, 50);
            EXPECT_LT(MeanOver(picture.get(), 18, 132, 43, 144).luma, 50);
        } else {
            // "Peak" right of (20, 30) and "Level" under (28, 50, 15, 90).
            EXPECT_LT(MeanOver(picture.get(), 40, 31, 65, 43).luma, 50);
            EXPECT_LT(MeanOver(picture.get(), 23, 142, 48, 154).luma, 50);
        }
    }
    // The Reverb's LP/HP selector (65, 138, 18, 14) shows a white caption.
    SurfacePtr reverb = LoadProgramImage(kResourceGif, 145);
    ASSERT_NE(reverb, nullptr);
    EXPECT_LT(MeanOver(reverb.get(), 67, 140, 81, 150).luma, 50);
}

TEST(PedalPictures, SliderTracksRunOverDarkSlots) {
    // The sliders draw white ticks and a light track: the picture gives them
    // a dark slot to sit in.
    SurfacePtr phaser = LoadProgramImage(kResourceGif, 140);
    ASSERT_NE(phaser, nullptr);
    EXPECT_LT(MeanOver(phaser.get(), 33, 55, 38, 135).luma, 30);
    SurfacePtr eq = LoadProgramImage(kResourceGif, 144);
    ASSERT_NE(eq, nullptr);
    for (int band = 0; band < 7; ++band) {
        const int x = 63 + 21 * band + 5;
        EXPECT_LT(MeanOver(eq.get(), x, 35, x + 5, 125).luma, 30) << band;
    }
}

}  // namespace
}  // namespace ampliro
