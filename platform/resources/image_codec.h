// Picture decoding: JPEG and BMP data, recognised by content, to RGB565.
#pragma once

#include <cstddef>
#include <cstdint>

struct SDL_Surface;

namespace ampliro {

class Surface;

// A decoded picture (the platform's bitmap) copied into a new RGB565 surface
// made by CreateGdiSurface; the bitmap stays the caller's. Null on failure.
Surface* SurfaceFromBitmap(SDL_Surface* bitmap);

// Each channel is truncated to 5 or 6 bits. Null when the data is no picture
// the decoder knows or memory runs out. The caller owns the result.
Surface* DecodeImage(const uint8_t* data, size_t size);
Surface* DecodeImageFile(const char* path);

}  // namespace ampliro
