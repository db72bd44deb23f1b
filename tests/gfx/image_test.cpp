#include "gfx/image.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include <filesystem>
#include <memory>

#include "gfx/surface.h"
#include "platform/resources/resources.h"
#include "test_pictures.h"

namespace ampliro {

const ResourceModule& TestPictureModule();

namespace {

using testing::ReadFile;
using testing::ReadNetpbm;
using testing::SurfacePtr;
using testing::TestData;

// Every pixel must be the decoder's own output with each channel truncated.
void ExpectTruncated(const Surface* s, const testing::Netpbm& reference) {
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(s->width, reference.width);
    ASSERT_EQ(s->height, reference.height);
    ASSERT_EQ(reference.samples.size(),
              static_cast<size_t>(reference.width * reference.height * reference.channels));
    EXPECT_EQ(s->pitch, static_cast<uint32_t>((s->width * 2 + 3) & ~3));
    for (int y = 0; y < s->height; ++y) {
        for (int x = 0; x < s->width; ++x) {
            const uint8_t* p = &reference.samples[(y * reference.width + x) * reference.channels];
            const uint16_t expected =
                reference.channels == 3 ? Rgb565(p[0], p[1], p[2]) : Rgb565(p[0], p[0], p[0]);
            ASSERT_EQ(GetPixel(s, x, y), expected) << x << "," << y;
        }
    }
}

TEST(ImageTest, JpegDecodesToTheTruncatedDecoderOutput) {
    SurfacePtr jpeg(LoadImageFile(TestData("picture.jpg").c_str()));
    ExpectTruncated(jpeg.get(), ReadNetpbm(TestData("picture_decoded.ppm")));
}

TEST(ImageTest, TwentyFourBitBitmapDecodesExactly) {
    SurfacePtr bmp(LoadImageFile(TestData("picture24.bmp").c_str()));
    ExpectTruncated(bmp.get(), ReadNetpbm(TestData("picture_decoded.ppm")));
}

TEST(ImageTest, GreyPaletteBitmapDecodesExactly) {
    SurfacePtr bmp(LoadImageFile(TestData("grey8.bmp").c_str()));
    ExpectTruncated(bmp.get(), ReadNetpbm(TestData("grey_decoded.pgm")));
}

TEST(ImageTest, ResourcesDecodeByTypeWithTheBitmapFallback) {
    const ResourceModule& module = TestPictureModule();
    SurfacePtr jpeg(LoadImageResource(140, kResourceGif, &module));
    ExpectTruncated(jpeg.get(), ReadNetpbm(TestData("picture_decoded.ppm")));
    SurfacePtr grey(LoadImageResource(105, RT_BITMAP, &module));
    ExpectTruncated(grey.get(), ReadNetpbm(TestData("grey_decoded.pgm")));
    // No "GIF" 102, but a bitmap 102: the bitmap is loaded.
    SurfacePtr fallback(LoadImageResource(102, kResourceGif, &module));
    ExpectTruncated(fallback.get(), ReadNetpbm(TestData("picture_decoded.ppm")));
    // A number under no type, and a bitmap type that names a JPEG number.
    EXPECT_EQ(LoadImageResource(141, kResourceGif, &module), nullptr);
    EXPECT_EQ(LoadImageResource(140, RT_BITMAP, &module), nullptr);
    // A sound number is no picture number.
    EXPECT_EQ(LoadImageResource(7, kResourceGif, &module), nullptr);
}

TEST(ImageTest, MemoryImagesPassThroughARemovedTemporaryFile) {
    auto count = [] {
        int n = 0;
        for (const auto& e :
             std::filesystem::directory_iterator(std::filesystem::temp_directory_path())) {
            n += e.path().filename().string().rfind("IMAGE", 0) == 0;
        }
        return n;
    };
    const int before = count();
    const std::vector<uint8_t> bytes = ReadFile(TestData("grey8.bmp"));
    SurfacePtr grey(LoadImageFromMemory(bytes.data(), bytes.data() + bytes.size()));
    ExpectTruncated(grey.get(), ReadNetpbm(TestData("grey_decoded.pgm")));
    const std::vector<uint8_t> garbage(100, 0x5A);
    EXPECT_EQ(LoadImageFromMemory(garbage.data(), garbage.data() + garbage.size()), nullptr);
    EXPECT_EQ(count(), before);
}

TEST(ImageTest, MemoryImagesDecodeWithoutAWritableTemporaryFolder) {
    const std::vector<uint8_t> bytes = ReadFile(TestData("grey8.bmp"));
    const char* before = std::getenv("TMPDIR");
    const std::string saved = before ? before : "";
    // A folder that is not there, and one where no file can be made.
    for (const char* folder : {"/nonexistent-ampliro-tmp", "/proc"}) {
        SCOPED_TRACE(folder);
        setenv("TMPDIR", folder, 1);
        SurfacePtr grey(LoadImageFromMemory(bytes.data(), bytes.data() + bytes.size()));
        ASSERT_NE(grey, nullptr);
        ExpectTruncated(grey.get(), ReadNetpbm(TestData("grey_decoded.pgm")));
    }
    if (before)
        setenv("TMPDIR", saved.c_str(), 1);
    else
        unsetenv("TMPDIR");
}

TEST(ImageTest, DamagedPicturesYieldNull) {
    const std::vector<uint8_t> jpeg = ReadFile(TestData("picture.jpg"));
    ASSERT_GT(jpeg.size(), 100u);
    // Cut inside the header: no picture.
    EXPECT_EQ(LoadImageFromMemory(jpeg.data(), jpeg.data() + 20), nullptr);
    const std::vector<uint8_t> bmp = ReadFile(TestData("picture24.bmp"));
    EXPECT_EQ(LoadImageFromMemory(bmp.data(), bmp.data() + 30), nullptr);
    // Pixel rows cut short, by half or by a single byte.
    EXPECT_EQ(LoadImageFromMemory(bmp.data(), bmp.data() + bmp.size() / 2), nullptr);
    EXPECT_EQ(LoadImageFromMemory(bmp.data(), bmp.data() + bmp.size() - 1), nullptr);
    const std::vector<uint8_t> grey = ReadFile(TestData("grey8.bmp"));
    EXPECT_EQ(LoadImageFromMemory(grey.data(), grey.data() + 1100), nullptr);  // in the pixels
    EXPECT_EQ(LoadImageFromMemory(grey.data(), grey.data() + 60), nullptr);    // in the palette
    // A JPEG missing its last bytes still gives a whole picture, or none.
    SurfacePtr cut(LoadImageFromMemory(jpeg.data(), jpeg.data() + jpeg.size() - 40));
    if (cut) {
        EXPECT_EQ(cut->width * cut->height, 16 * 8);
    }
    EXPECT_EQ(LoadImageFromMemory(bmp.data(), bmp.data()), nullptr);
    EXPECT_EQ(LoadImageFromMemory(bmp.data() + 1, bmp.data()), nullptr);
    EXPECT_EQ(LoadImageFile("/nonexistent/picture.jpg"), nullptr);
    EXPECT_EQ(LoadImageFile(nullptr), nullptr);
}

}  // namespace
}  // namespace ampliro
