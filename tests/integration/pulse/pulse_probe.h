// The test's own PulseAudio client: plays a signal into the rig's "guitar"
// sink (Ampliro's input) while it records the monitor of "amp" (Ampliro's
// output), as a guitar and a listener would.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ampliro {

// Plays `signal` at 44.1 kHz and returns what came back over `seconds`.
std::vector<int16_t> PlayAndRecord(const std::vector<int16_t>& signal, double seconds);

// Where `expected` begins in `recording` whole for its first `compared`
// samples, or -1.
int64_t FindWhole(const std::vector<int16_t>& expected, const std::vector<int16_t>& recording,
                  size_t compared);

}  // namespace ampliro
