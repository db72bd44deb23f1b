#include "platform/system/system_memory.h"

#include <cstdio>
#include <cstring>

namespace ampliro {

uint64_t AvailableMemoryBytes() {
    constexpr uint64_t kUnknown = UINT64_MAX;
    std::FILE* file = std::fopen("/proc/meminfo", "r");
    if (!file) return kUnknown;
    char line[128];
    uint64_t bytes = kUnknown;
    while (std::fgets(line, sizeof line, file)) {
        unsigned long long kb = 0;
        if (std::sscanf(line, "MemAvailable: %llu kB", &kb) == 1) {
            bytes = static_cast<uint64_t>(kb) * 1024;
            break;
        }
    }
    std::fclose(file);
    return bytes;
}

}  // namespace ampliro
