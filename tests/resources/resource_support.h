// Helpers shared by the resource tests: decoding the program's own
// resources and reading little-endian fields.
#pragma once

#include <cstdint>
#include <memory>

#include "gfx/image.h"
#include "gfx/surface.h"
#include "platform/resources/resources.h"

namespace ampliro::testing {

using SurfacePtr = std::unique_ptr<Surface>;

inline SurfacePtr LoadProgramImage(const char* type, int number) {
    return SurfacePtr(LoadImageResource(number, type, nullptr));
}

inline uint32_t Le16(const uint8_t* p) {
    return p[0] | uint32_t{p[1]} << 8;
}
inline uint32_t Le32(const uint8_t* p) {
    return Le16(p) | Le16(p + 2) << 16;
}

inline int Red5(uint16_t c) {
    return c >> 11;
}
inline int Green6(uint16_t c) {
    return (c >> 5) & 63;
}
inline int Blue5(uint16_t c) {
    return c & 31;
}
// Brightness of an RGB565 pixel on a 0..255 scale.
inline int Luma(uint16_t c) {
    return (Red5(c) * 8 * 30 + Green6(c) * 4 * 59 + Blue5(c) * 8 * 11) / 100;
}

inline constexpr uint16_t kKey = 0xF81F;

}  // namespace ampliro::testing
