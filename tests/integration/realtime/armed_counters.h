// Counters of what a real-time thread must never do: allocate or free memory,
// wait on (or even try) a lock, touch a file. A thread arms them for a
// stretch of its own work; calls from other threads, or outside the stretch,
// are not counted. The test program replaces the global operator new and
// delete and the C library's lock and file calls with counting ones that go on
// to the real calls.
#pragma once

#include <cstdint>

namespace ampliro::realtime {

struct Counts {
    int64_t allocations = 0;
    int64_t lockCalls = 0;
    int64_t fileCalls = 0;
};

// The calling thread counts from now on / no longer.
void Arm();
void Disarm();
Counts Read();
void Reset();

}  // namespace ampliro::realtime
