// The resource table compiled into the program: (type, number) to bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace ampliro {

// Resource types. "GIF" holds JPEG data, as it always has.
inline constexpr const char* kResourceGif = "GIF";
inline constexpr const char* RT_BITMAP = "RT_BITMAP";
inline constexpr const char* kResourceSysFont = "SYSFONT";
inline constexpr const char* kResourceWave = "WAVE";
inline constexpr const char* RT_ICON = "RT_ICON";

struct ResourceEntry {
    const char* type;
    int number;
    const uint8_t* data;
    size_t size;
};

// A module is a set of resources; the program has one, tests may build others.
class ResourceModule {
  public:
    constexpr explicit ResourceModule(std::span<const ResourceEntry> entries) : entries_(entries) {}

    const ResourceEntry* Find(std::string_view type, int number) const {
        for (const ResourceEntry& e : entries_) {
            if (e.number == number && type == e.type) return &e;
        }
        return nullptr;
    }
    std::span<const ResourceEntry> Entries() const { return entries_; }

  private:
    std::span<const ResourceEntry> entries_;
};

// The program's own resources (defined by the generated resource table).
const ResourceModule& ProgramModule();

// A null module means the program's own.
inline const ResourceModule& ModuleOrProgram(const ResourceModule* module) {
    return module ? *module : ProgramModule();
}

}  // namespace ampliro
