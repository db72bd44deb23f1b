// Every picture of the program's resource table: present, of the size the
// screens cut it by, and encoded as its type says.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "tests/resources/resource_support.h"

namespace ampliro {
namespace {

using testing::Blue5;
using testing::Green6;
using testing::kKey;
using testing::Le16;
using testing::Le32;
using testing::LoadProgramImage;
using testing::Luma;
using testing::Red5;
using testing::SurfacePtr;

struct Picture {
    const char* type;
    int number;
    int width, height;
};

const Picture kPictures[] = {
    {kResourceGif, 122, 49, 3087}, {kResourceGif, 123, 49, 3087}, {kResourceGif, 125, 39, 2457},
    {kResourceGif, 126, 39, 2457}, {kResourceGif, 127, 39, 2457}, {kResourceGif, 129, 39, 2457},
    {kResourceGif, 131, 39, 2457}, {kResourceGif, 140, 240, 320}, {kResourceGif, 141, 240, 320},
    {kResourceGif, 142, 240, 320}, {kResourceGif, 143, 240, 320}, {kResourceGif, 144, 240, 320},
    {kResourceGif, 145, 240, 320}, {kResourceGif, 146, 240, 320}, {kResourceGif, 147, 240, 320},
    {kResourceGif, 148, 240, 320}, {kResourceGif, 150, 240, 320}, {kResourceGif, 151, 240, 240},
    {kResourceGif, 152, 240, 320}, {kResourceGif, 153, 240, 240}, {kResourceGif, 154, 240, 320},
    {kResourceGif, 155, 240, 240}, {kResourceGif, 156, 30, 100},  {kResourceGif, 157, 240, 320},
    {kResourceGif, 158, 240, 240}, {RT_BITMAP, 102, 45, 30},      {RT_BITMAP, 103, 30, 30},
    {RT_BITMAP, 104, 25, 9},       {RT_BITMAP, 105, 9, 17},       {RT_BITMAP, 106, 20, 9},
    {RT_BITMAP, 109, 30, 30},      {RT_BITMAP, 110, 32, 16},      {RT_BITMAP, 121, 30, 30},
    {RT_BITMAP, 124, 112, 32},     {kResourceGif, 170, 240, 320}, {kResourceGif, 171, 240, 320},
    {kResourceGif, 172, 240, 320},
};

TEST(ResourceInventory, EveryPictureDecodesAtItsSize) {
    for (const Picture& p : kPictures) {
        SCOPED_TRACE(std::string(p.type) + " " + std::to_string(p.number));
        const ResourceEntry* entry = ProgramModule().Find(p.type, p.number);
        ASSERT_NE(entry, nullptr);
        SurfacePtr image = LoadProgramImage(p.type, p.number);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->width, p.width);
        EXPECT_EQ(image->height, p.height);
    }
}

TEST(ResourceInventory, GifResourcesHoldJfifData) {
    for (const Picture& p : kPictures) {
        if (std::string(p.type) != kResourceGif) continue;
        SCOPED_TRACE(p.number);
        const ResourceEntry* entry = ProgramModule().Find(p.type, p.number);
        ASSERT_NE(entry, nullptr);
        ASSERT_GT(entry->size, 20u);
        EXPECT_EQ(entry->data[0], 0xFF);
        EXPECT_EQ(entry->data[1], 0xD8);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(entry->data + 6), 4), "JFIF");
        EXPECT_EQ(entry->data[entry->size - 2], 0xFF);
        EXPECT_EQ(entry->data[entry->size - 1], 0xD9);
    }
}

TEST(ResourceInventory, BitmapsAreBmpFilesOfTheirDepth) {
    for (const Picture& p : kPictures) {
        if (std::string(p.type) != RT_BITMAP) continue;
        SCOPED_TRACE(p.number);
        const ResourceEntry* entry = ProgramModule().Find(p.type, p.number);
        ASSERT_NE(entry, nullptr);
        ASSERT_GT(entry->size, 54u);
        EXPECT_EQ(entry->data[0], 'B');
        EXPECT_EQ(entry->data[1], 'M');
        EXPECT_EQ(Le32(entry->data + 2), entry->size);
        EXPECT_EQ(Le32(entry->data + 18), static_cast<uint32_t>(p.width));
        EXPECT_EQ(Le32(entry->data + 22), static_cast<uint32_t>(p.height));
        EXPECT_EQ(Le16(entry->data + 28), p.number == 105 ? 8u : 24u);
    }
}

TEST(ResourceInventory, ProgramIconIsA32By32Bitmap) {
    const ResourceEntry* entry = ProgramModule().Find(RT_ICON, 120);
    ASSERT_NE(entry, nullptr);
    ASSERT_GT(entry->size, 54u);
    EXPECT_EQ(Le16(entry->data + 28), 24u);
    SurfacePtr icon(LoadImageFromMemory(entry->data, entry->data + entry->size));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->width, 32);
    EXPECT_EQ(icon->height, 32);
}

TEST(ResourceInventory, NothingOutsideTheInventory) {
    // 37 pictures, 4 fonts, the click and the icon.
    EXPECT_EQ(ProgramModule().Entries().size(), std::size(kPictures) + 4 + 1 + 1);
}

// Knob strips turn clockwise from seven-thirty (frame 0) to four-thirty
// (frame 62); the white index line of the black knobs shows where.
TEST(KnobStrips, PointerSweepsFromLowestToHighest) {
    for (int number : {125, 131}) {
        SCOPED_TRACE(number);
        SurfacePtr strip = LoadProgramImage(kResourceGif, number);
        ASSERT_NE(strip, nullptr);
        const int size = strip->width;
        ASSERT_EQ(strip->height / size, 63);
        auto at = [&](int frame, double degrees) {
            const double a = degrees * std::numbers::pi / 180;
            const int x = static_cast<int>(size / 2.0 + std::sin(a) * 15.5);
            const int y = static_cast<int>(size / 2.0 - std::cos(a) * 15.5);
            return Luma(GetPixel(strip.get(), x, frame * size + y));
        };
        EXPECT_GT(at(0, -135), 150);
        EXPECT_LT(at(0, 135), 80);
        EXPECT_GT(at(62, 135), 150);
        EXPECT_LT(at(62, -135), 80);
        EXPECT_GT(at(31, 0), 150);  // the middle frame points straight up
    }
}

TEST(KnobStrips, MasksCoverTheKnobAndLeaveTheCornersUntouched) {
    for (int number : {123, 126}) {
        SCOPED_TRACE(number);
        SurfacePtr mask = LoadProgramImage(kResourceGif, number);
        ASSERT_NE(mask, nullptr);
        const int size = mask->width;
        ASSERT_EQ(mask->height / size, 63);
        for (int frame = 0; frame < 63; ++frame) {
            const int top = frame * size;
            // Corners: exactly 0, so the blend leaves the background alone.
            EXPECT_EQ(GetPixel(mask.get(), 0, top), 0);
            EXPECT_EQ(GetPixel(mask.get(), size - 1, top), 0);
            EXPECT_EQ(GetPixel(mask.get(), 0, top + size - 1), 0);
            // The face itself is fully opaque (weight 32/32).
            EXPECT_EQ(Blue5(GetPixel(mask.get(), size / 2, top + size / 2)), 31);
            EXPECT_EQ(Blue5(GetPixel(mask.get(), size / 2, top + 4)), 31);
        }
        // A soft edge: between the face and the corner the weight falls
        // through intermediate levels rather than in one step.
        int levels = 0;
        int last = -1;
        for (int x = 0; x < size / 2; ++x) {
            const int b = Blue5(GetPixel(mask.get(), x, size / 2));
            if (b != last && b > 0 && b < 31) ++levels;
            last = b;
        }
        EXPECT_GE(levels, 1);
    }
}

// Sheets cut into cells: the key colour marks each cell's background and
// every cell holds a picture of its own.
void ExpectKeyedCells(int number, int columns, int rows) {
    SurfacePtr sheet = LoadProgramImage(RT_BITMAP, number);
    ASSERT_NE(sheet, nullptr);
    const int w = sheet->width / columns, h = sheet->height / rows;
    for (int row = 0; row < rows; ++row) {
        for (int col = 0; col < columns; ++col) {
            SCOPED_TRACE(std::to_string(number) + " cell " + std::to_string(col) + "," +
                         std::to_string(row));
            const int x0 = col * w, y0 = row * h;
            EXPECT_EQ(GetPixel(sheet.get(), x0, y0), kKey);
            EXPECT_EQ(GetPixel(sheet.get(), x0 + w - 1, y0 + h - 1), kKey);
            int picture = 0;
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x)
                    picture += GetPixel(sheet.get(), x0 + x, y0 + y) != kKey;
            }
            EXPECT_GT(picture, w * h / 6);
        }
    }
}

TEST(SpriteSheets, LampsAndRecorderButtonsAreKeyedCells) {
    ExpectKeyedCells(121, 2, 2);
    ExpectKeyedCells(124, 7, 2);
    ExpectKeyedCells(110, 2, 1);
}

TEST(SpriteSheets, LitLampsOutshineDarkOnesInTheirOwnColour) {
    SurfacePtr lamps = LoadProgramImage(RT_BITMAP, 121);
    ASSERT_NE(lamps, nullptr);
    // Column 0 is the green power lamp, column 1 the red peak lamp; row 0 lit.
    const uint16_t powerOn = GetPixel(lamps.get(), 8, 8), powerOff = GetPixel(lamps.get(), 8, 23);
    const uint16_t peakOn = GetPixel(lamps.get(), 23, 8), peakOff = GetPixel(lamps.get(), 23, 23);
    EXPECT_GT(Luma(powerOn), Luma(powerOff) + 60);
    EXPECT_GT(Luma(peakOn), Luma(peakOff) + 60);
    EXPECT_GT(Green6(powerOn) / 2, Red5(powerOn));
    EXPECT_GT(Red5(peakOn), Green6(peakOn) / 2);
}

TEST(SpriteSheets, RecorderButtonsChangeWhenPressed) {
    SurfacePtr sheet = LoadProgramImage(RT_BITMAP, 124);
    ASSERT_NE(sheet, nullptr);
    for (int col = 0; col < 7; ++col) {
        SCOPED_TRACE(col);
        int differing = 0;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                differing += GetPixel(sheet.get(), col * 16 + x, y) !=
                             GetPixel(sheet.get(), col * 16 + x, 16 + y);
            }
        }
        EXPECT_GT(differing, 10);
    }
}

TEST(SpriteSheets, ThumbsHaveKeyedCornersAndAnIndexLine) {
    for (int number : {104, 105, 106}) {
        SCOPED_TRACE(number);
        SurfacePtr thumb = LoadProgramImage(RT_BITMAP, number);
        ASSERT_NE(thumb, nullptr);
        EXPECT_EQ(GetPixel(thumb.get(), 0, 0), kKey);
        const uint16_t middle = GetPixel(thumb.get(), thumb->width / 2, thumb->height / 2);
        EXPECT_GT(Luma(middle), 200);
    }
    // 105 is stored with a palette whose entry 0 is the magenta key.
    const ResourceEntry* entry = ProgramModule().Find(RT_BITMAP, 105);
    ASSERT_NE(entry, nullptr);
    const uint8_t* palette = entry->data + 14 + Le32(entry->data + 14);
    EXPECT_EQ(palette[0], 255);  // blue
    EXPECT_EQ(palette[1], 0);    // green
    EXPECT_EQ(palette[2], 255);  // red
}

TEST(SpriteSheets, PowerSwitchShowsOnAndOff) {
    SurfacePtr sheet = LoadProgramImage(kResourceGif, 156);
    ASSERT_NE(sheet, nullptr);
    // The lever is thrown up in the on cell (row 0) and down in the off cell.
    EXPECT_GT(Luma(GetPixel(sheet.get(), 15, 8)), Luma(GetPixel(sheet.get(), 15, 50 + 8)) + 40);
    EXPECT_GT(Luma(GetPixel(sheet.get(), 15, 50 + 38)), Luma(GetPixel(sheet.get(), 15, 38)) + 40);
}

}  // namespace
}  // namespace ampliro
