// The tuner's line to the input and its mute. While the tuner listens, the
// audio thread copies every captured block, as it came from the device, into
// a lock-free ring that the main thread drains; while the output is muted the
// processing pass plays silence, as a tuner pedal does.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/threads/spsc_ring.h"

namespace ampliro {

// 0.68 s at 96000 Hz: a main thread held up for a few frames loses nothing.
inline constexpr size_t kTunerRingSamples = 65536;

// Main thread. Start empties the ring of what an earlier listening left.
void StartTunerTap();
void StopTunerTap();
bool TunerTapListening();

// Audio thread: copies the block while the tuner listens. A block that does
// not fit is left out whole; the detector then sees a jump, never a tear.
void FeedTunerTap(const int16_t* samples, int32_t count);

// The consumer side, for the main thread only.
SpscRing<int16_t>& TunerRing();

// Main thread sets it; the processing pass reads it once per block.
void SetOutputMuted(bool muted);
bool OutputMuted();

}  // namespace ampliro
