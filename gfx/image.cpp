#include "gfx/image.h"

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "gfx/surface.h"
#include "platform/resources/image_codec.h"
#include "platform/resources/resources.h"

namespace ampliro {

namespace {

bool WriteAll(int fd, const uint8_t* first, const uint8_t* end) {
    while (first < end) {
        const ssize_t n = write(fd, first, static_cast<size_t>(end - first));
        if (n <= 0) return false;
        first += n;
    }
    return true;
}

}  // namespace

Surface* LoadImageResource(int number, const char* type, const ResourceModule* module) {
    const ResourceModule& resources = ModuleOrProgram(module);
    const ResourceEntry* entry = nullptr;
    // Pictures of other types are decoded by content; without one, a plain
    // bitmap of the same number stands in.
    if (type && std::string_view(type) != RT_BITMAP) entry = resources.Find(type, number);
    if (!entry) entry = resources.Find(RT_BITMAP, number);
    if (!entry) return nullptr;
    return DecodeImage(entry->data, entry->size);
}

Surface* LoadImageFile(const char* path) {
    return DecodeImageFile(path);
}

// The bytes pass through a temporary file "IMAGE..." that is removed again
// whatever happens once it exists. Without a temporary folder that can be
// written they are decoded where they are: the fonts come this way, and a
// program without them would show no text at all.
Surface* LoadImageFromMemory(const uint8_t* first, const uint8_t* end) {
    if (!first || !end || end < first) return nullptr;
    const auto inPlace = [&] { return DecodeImage(first, static_cast<size_t>(end - first)); };
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    if (error) return inPlace();
    std::string name = (folder / "IMAGEXXXXXX").string();
    const int fd = mkstemp(name.data());
    if (fd < 0) return inPlace();
    const bool written = WriteAll(fd, first, end);
    const bool closed = close(fd) == 0;
    Surface* surface = written && closed ? LoadImageFile(name.c_str()) : nullptr;
    std::filesystem::remove(name, error);
    return surface;
}

}  // namespace ampliro
