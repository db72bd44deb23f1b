#include "platform/resources/picture_header.h"

#include <cstdlib>
#include <cstring>

namespace ampliro {

namespace {

uint32_t Le16(const uint8_t* p) {
    return p[0] | p[1] << 8;
}
uint32_t Be16(const uint8_t* p) {
    return p[0] << 8 | p[1];
}
int32_t Le32(const uint8_t* p) {
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 |
                                static_cast<uint32_t>(p[3]) << 24);
}
uint32_t Be32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | p[3];
}

PictureSize BmpSize(const uint8_t* data, size_t size) {
    if (size < 26) return {};
    // An OS/2 core header has 16-bit sizes; every later one 32-bit, the
    // height negative for top-down rows.
    if (Le32(data + 14) == 12) return {Le16(data + 18), Le16(data + 20)};
    return {Le32(data + 18), std::llabs(static_cast<int64_t>(Le32(data + 22)))};
}

// Walks the marker segments up to the frame header (SOF0..SOF15 but DHT,
// JPG and DAC, which share the range).
PictureSize JpegSize(const uint8_t* data, size_t size) {
    size_t i = 2;
    while (i + 4 <= size) {
        if (data[i] != 0xFF) return {};
        const uint8_t marker = data[i + 1];
        if (marker == 0xFF) {  // fill byte
            ++i;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // no length
            i += 2;
            continue;
        }
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
            marker != 0xCC) {
            if (i + 9 > size) return {};
            return {Be16(data + i + 7), Be16(data + i + 5)};
        }
        if (marker == 0xD9 || marker == 0xDA) return {};  // no frame before the scan
        i += 2 + Be16(data + i + 2);
    }
    return {};
}

}  // namespace

PictureSize PeekPictureSize(const uint8_t* data, size_t size) {
    if (!data) return {};
    if (size >= 2 && data[0] == 'B' && data[1] == 'M') return BmpSize(data, size);
    if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF)
        return JpegSize(data, size);
    if (size >= 24 && std::memcmp(data, "\x89PNG\r\n\x1a\n", 8) == 0)
        return {Be32(data + 16), Be32(data + 20)};
    if (size >= 10 && std::memcmp(data, "GIF8", 4) == 0) return {Le16(data + 6), Le16(data + 8)};
    return {};
}

bool AcceptablePicture(const uint8_t* data, size_t size) {
    const PictureSize s = PeekPictureSize(data, size);
    return s.width > 0 && s.height > 0 && s.width * s.height <= kMaxPicturePixels;
}

}  // namespace ampliro
