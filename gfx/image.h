// Pictures from resources, files and memory, decoded to RGB565 surfaces.
#pragma once

#include <cstdint>

namespace ampliro {

class Surface;
class ResourceModule;

// module null means the program's own resources. The caller owns the result.
Surface* LoadImageResource(int number, const char* type, const ResourceModule* module);
Surface* LoadImageFile(const char* path);
Surface* LoadImageFromMemory(const uint8_t* first, const uint8_t* end);

}  // namespace ampliro
