// Surface lifetime, the creators and the pixel read.
#include "platform/resources/surface_memory.h"

#include <algorithm>
#include <new>

namespace ampliro {

namespace {

constexpr std::align_val_t kPixelAlignment{16};
// Larger blocks than this are refused rather than attempted: no picture of the
// program comes anywhere near it, and it keeps pitch * height inside 32 bits.
constexpr uint64_t kMaxPixelBytes = uint64_t{1} << 30;

uint32_t PitchFor(int32_t width) {
    return (static_cast<uint32_t>(width) * 2 + 3) & ~3u;
}

}  // namespace

Surface::~Surface() {
    if (ownsPixels && pixels) ::operator delete(pixels, kPixelAlignment);
}

Surface* CreateSurface(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return nullptr;
    const uint32_t pitch = PitchFor(width);
    const uint64_t bytes = uint64_t{pitch} * static_cast<uint64_t>(height);
    if (bytes > kMaxPixelBytes) return nullptr;
    auto* surface = new (std::nothrow) Surface;
    if (!surface) return nullptr;
    void* block = ::operator new(bytes, kPixelAlignment, std::nothrow);
    if (!block) {
        delete surface;
        return nullptr;
    }
    std::fill_n(static_cast<uint8_t*>(block), bytes, uint8_t{0});
    surface->width = width;
    surface->height = height;
    surface->pitch = pitch;
    surface->pixels = static_cast<uint16_t*>(block);
    surface->ownsPixels = 1;
    return surface;
}

Surface* WrapSurface(uint16_t* pixels, int32_t width, int32_t height, uint32_t pitch) {
    auto* surface = new (std::nothrow) Surface;
    if (!surface) return nullptr;
    surface->width = width;
    surface->height = height;
    surface->pitch = pitch;
    surface->pixels = pixels;
    surface->ownsPixels = 0;
    return surface;
}

// Without a platform bitmap behind it, a surface for decoded pictures is an
// ordinary owned surface; the pitch rule is the same.
Surface* CreateGdiSurface(int32_t width, int32_t height) {
    return CreateSurface(width, height);
}

uint16_t GetPixel(const Surface* s, int32_t x, int32_t y) {
    if (!s || !s->pixels || x < 0 || y < 0 || x >= s->width || y >= s->height) return 0;
    return s->Row(y)[x];
}

}  // namespace ampliro
