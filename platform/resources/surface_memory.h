// The 16-bit RGB565 pixel block every layer draws into or shows: its size,
// pitch and pixels, and the ways to make one. The drawing operations on it
// live in gfx/surface.h; the picture decoder and the displays need only this.
#pragma once

#include <cstdint>

namespace ampliro {

class Surface {
  public:
    Surface() = default;
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;
    virtual ~Surface();

    int32_t width = 0;
    int32_t height = 0;
    uint32_t pitch = 0;          // bytes from one row to the next
    uint16_t* pixels = nullptr;  // top row first
    uint8_t ownsPixels = 0;

    uint16_t* Row(int32_t y) const {
        return reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(pixels) +
                                           static_cast<intptr_t>(y) * (pitch & ~1u));
    }
};

// Pitch is width * 2 rounded up to a multiple of 4; the pixels start zeroed.
Surface* CreateSurface(int32_t width, int32_t height);
Surface* WrapSurface(uint16_t* pixels, int32_t width, int32_t height, uint32_t pitch);
Surface* CreateGdiSurface(int32_t width, int32_t height);

// The pixel at (x, y); 0 outside the surface or for a null one.
uint16_t GetPixel(const Surface* s, int32_t x, int32_t y);

}  // namespace ampliro
