// The metronome and the loop recorder plug into the processing pass here, so
// the audio engine does not depend on the application that owns them.
#pragma once

#include <cstdint>

namespace ampliro {

class MetronomeHook {
  public:
    virtual ~MetronomeHook() = default;
    // Before the chain: decides whether a click starts in this block.
    virtual void TimingStep(int32_t count) = 0;
    // After the recorder: adds the click and the reference tone.
    virtual void MixInto(int16_t* samples, int32_t count) = 0;
    // From the audio settings (main thread).
    virtual void SetLampDelay(int32_t milliseconds) = 0;
    virtual void SetSampleRate(int32_t hz) = 0;
};

class RecorderHook {
  public:
    virtual ~RecorderHook() = default;
    // After the chain: writes the block while recording, adds the recording
    // while playing.
    virtual void EngineStep(int16_t* samples, int32_t count) = 0;
};

// Installed once at start-up, before the audio thread starts; null removes.
void InstallMetronome(MetronomeHook* metronome);
void InstallRecorder(RecorderHook* recorder);

}  // namespace ampliro
