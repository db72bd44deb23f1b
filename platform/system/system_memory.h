// How much memory the system can still give the program.
#pragma once

#include <cstdint>

namespace ampliro {

// MemAvailable from /proc/meminfo in bytes; a large value when unknown, so a
// system without that file never refuses to start.
uint64_t AvailableMemoryBytes();

}  // namespace ampliro
