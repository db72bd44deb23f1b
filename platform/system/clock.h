// The millisecond clock: unsigned 32-bit milliseconds from a fixed start.
#pragma once

#include <cstdint>

namespace ampliro {

// Wraps after about 49 days; callers compare with unsigned differences.
uint32_t Milliseconds();

// Blocks the calling thread for about ms milliseconds.
void SleepMilliseconds(uint32_t ms);

}  // namespace ampliro
