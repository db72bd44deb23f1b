#include "platform/resources/image_codec.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstring>
#include <vector>

#include "platform/resources/picture_header.h"
#include "platform/resources/surface_memory.h"

namespace ampliro {

Surface* SurfaceFromBitmap(SDL_Surface* bitmap) {
    if (!bitmap) return nullptr;
    // The conversion truncates: (r >> 3) << 11 | (g >> 2) << 5 | b >> 3.
    SDL_Surface* converted = SDL_ConvertSurfaceFormat(bitmap, SDL_PIXELFORMAT_RGB565, 0);
    if (!converted) return nullptr;
    Surface* surface = CreateGdiSurface(converted->w, converted->h);
    if (surface && SDL_LockSurface(converted) == 0) {
        const auto* from = static_cast<const uint8_t*>(converted->pixels);
        for (int32_t y = 0; y < surface->height; ++y) {
            std::memcpy(surface->Row(y), from + static_cast<size_t>(y) * converted->pitch,
                        static_cast<size_t>(surface->width) * 2);
        }
        SDL_UnlockSurface(converted);
    } else {
        delete surface;
        surface = nullptr;
    }
    SDL_FreeSurface(converted);
    return surface;
}

namespace {

// A picture file larger than this is not read at all.
constexpr Sint64 kMaxPictureFileBytes = 64 << 20;

// Takes ownership of rw. The whole picture is read first, so its header can
// be checked before a decoder allocates what the header declares.
Surface* Decode(SDL_RWops* rw) {
    if (!rw) return nullptr;
    const Sint64 size = SDL_RWsize(rw);
    std::vector<uint8_t> data;
    if (size > 0 && size <= kMaxPictureFileBytes) {
        data.resize(static_cast<size_t>(size));
        if (SDL_RWread(rw, data.data(), 1, data.size()) != data.size()) data.clear();
    }
    SDL_RWclose(rw);
    if (!AcceptablePicture(data.data(), data.size())) return nullptr;
    SDL_Surface* decoded =
        IMG_Load_RW(SDL_RWFromConstMem(data.data(), static_cast<int>(data.size())), 1);
    if (!decoded) return nullptr;
    Surface* surface = SurfaceFromBitmap(decoded);
    SDL_FreeSurface(decoded);
    return surface;
}

}  // namespace

Surface* DecodeImage(const uint8_t* data, size_t size) {
    if (!data || size == 0 || size > INT32_MAX) return nullptr;
    return Decode(SDL_RWFromConstMem(data, static_cast<int>(size)));
}

Surface* DecodeImageFile(const char* path) {
    if (!path) return nullptr;
    return Decode(SDL_RWFromFile(path, "rb"));
}

}  // namespace ampliro
