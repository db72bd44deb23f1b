// The processing pass: what the audio thread does to every block, in four
// fixed steps: the metronome's timing, the effect chain (skipped while the
// input is muted), the loop recorder, the metronome's mix. While the tuner
// mutes the output, the block enters the chain and leaves the pass silent.
#pragma once

#include <cstdint>

namespace ampliro {

class MetronomeHook;

// The stream's processing callback; always returns 1.
int ProcessingPass(int16_t* samples, int32_t count);

// Main thread: returns once no pass is running. Combined with MuteInput set
// (or the stream closed) beforehand, no pass can call a pedal afterwards, so
// the pedals may rebuild their buffers.
void WaitForPassToFinish();

// The hook InstallMetronome put in place, or null.
MetronomeHook* InstalledMetronome();

}  // namespace ampliro
