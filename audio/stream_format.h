// What the main thread sets before the stream opens: the sample rate, the
// buffer size and the input mute. Kept apart from the stream's thread and
// devices, so that settings and preset code (and the offline renderer, which
// has no devices) use them without the audio system.
#pragma once

#include <atomic>
#include <cstdint>

namespace ampliro {

// Nonzero silences the input and makes the processing pass skip the chain.
// Written by the main thread with sequentially consistent stores, so that a
// pass either sees it set or is seen in progress (see WaitForPassToFinish).
extern std::atomic<int32_t> MuteInput;

// The stream format, set before each open (main thread).
void SetStreamSampleRate(uint32_t hz);
uint32_t StreamSampleRate();
void SetStreamBufferSize(uint32_t bytes);
uint32_t StreamBufferSize();

}  // namespace ampliro
