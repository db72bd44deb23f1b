#include "platform/resources/picture_header.h"

#include <gtest/gtest.h>

#include <vector>

#include "gfx/image.h"
#include "gfx/surface.h"
#include "platform/resources/image_codec.h"

namespace ampliro {
namespace {

std::vector<uint8_t> BmpHeader(int32_t width, int32_t height) {
    std::vector<uint8_t> v(54, 0);
    v[0] = 'B';
    v[1] = 'M';
    v[14] = 40;
    for (int k = 0; k < 4; ++k) {
        v[18 + k] = static_cast<uint8_t>(static_cast<uint32_t>(width) >> (8 * k));
        v[22 + k] = static_cast<uint8_t>(static_cast<uint32_t>(height) >> (8 * k));
    }
    v[26] = 1;
    v[28] = 24;
    return v;
}

TEST(PictureHeaderTest, SizesOfEachFormat) {
    std::vector<uint8_t> bmp = BmpHeader(49, -3087);  // top-down rows
    EXPECT_EQ(PeekPictureSize(bmp.data(), bmp.size()).width, 49);
    EXPECT_EQ(PeekPictureSize(bmp.data(), bmp.size()).height, 3087);

    // A JPEG whose frame header follows an application segment and fill.
    const std::vector<uint8_t> jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x04, 0xAA, 0xBB, 0xFF,
                                       0xFF, 0xC2, 0x00, 0x11, 0x08, 0x01, 0x40, 0x00, 0xF0};
    EXPECT_EQ(PeekPictureSize(jpeg.data(), jpeg.size()).width, 240);
    EXPECT_EQ(PeekPictureSize(jpeg.data(), jpeg.size()).height, 320);
    // DHT (C4) is no frame header; a scan before any frame has no size.
    const std::vector<uint8_t> noFrame = {0xFF, 0xD8, 0xFF, 0xC4, 0x00, 0x02, 0xFF,
                                          0xDA, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(PeekPictureSize(noFrame.data(), noFrame.size()).width, 0);

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13,
                                'I',  'H', 'D', 'R', 0,    0,    1,    0,    0, 0, 0, 2};
    EXPECT_EQ(PeekPictureSize(png.data(), png.size()).width, 256);
    EXPECT_EQ(PeekPictureSize(png.data(), png.size()).height, 2);
    const std::vector<uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a', 3, 0, 5, 0};
    EXPECT_EQ(PeekPictureSize(gif.data(), gif.size()).width, 3);
    EXPECT_EQ(PeekPictureSize(gif.data(), gif.size()).height, 5);

    const std::vector<uint8_t> other = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'E', 'B', 'P'};
    EXPECT_FALSE(AcceptablePicture(other.data(), other.size()));
    EXPECT_FALSE(AcceptablePicture(nullptr, 0));
}

TEST(PictureHeaderTest, AHeaderDeclaringAHugePictureIsRefusedBeforeDecoding) {
    // 100000 x 100000 pixels: 30 GB at 24 bits if a decoder believed it.
    std::vector<uint8_t> huge = BmpHeader(100000, 100000);
    huge.resize(200, 0x55);
    EXPECT_FALSE(AcceptablePicture(huge.data(), huge.size()));
    EXPECT_EQ(DecodeImage(huge.data(), huge.size()), nullptr);
    std::vector<uint8_t> limit = BmpHeader(4096, 4096);
    EXPECT_TRUE(AcceptablePicture(limit.data(), limit.size()));
    limit = BmpHeader(4097, 4096);
    EXPECT_FALSE(AcceptablePicture(limit.data(), limit.size()));
    limit = BmpHeader(0, 10);
    EXPECT_FALSE(AcceptablePicture(limit.data(), limit.size()));

    // A small, whole picture still decodes.
    std::vector<uint8_t> small = BmpHeader(2, 2);
    small[10] = 54;
    small.resize(54 + 16, 0xFF);
    std::unique_ptr<Surface> decoded(DecodeImage(small.data(), small.size()));
    ASSERT_NE(decoded, nullptr);
    EXPECT_EQ(decoded->width, 2);
    EXPECT_EQ(GetPixel(decoded.get(), 1, 1), 0xFFFF);
}

}  // namespace
}  // namespace ampliro
