// The size a picture declares in its header, read before any decoder sees
// it: a damaged or hostile header can declare a picture of billions of
// pixels, and the decoders allocate (and fill) whatever is declared.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ampliro {

// Far above any picture of the program (the largest, a knob strip, is
// 49 x 3087), far below what would exhaust memory (64 MB at 32 bits).
inline constexpr int64_t kMaxPicturePixels = 4096 * 4096;

struct PictureSize {
    int64_t width = 0;
    int64_t height = 0;
};

// Width and height from a BMP, JPEG, PNG or GIF header; zero for anything
// else, including a JPEG without a frame header.
PictureSize PeekPictureSize(const uint8_t* data, size_t size);

// A known format whose size is at least 1 x 1 and at most kMaxPicturePixels.
bool AcceptablePicture(const uint8_t* data, size_t size);

}  // namespace ampliro
