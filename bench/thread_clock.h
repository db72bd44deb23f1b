// The CPU time this thread has used, in seconds: a benchmark's share of a
// core is that over the audio time it processed.
#pragma once

#include <ctime>

namespace ampliro::bench {

inline double ThreadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

}  // namespace ampliro::bench
