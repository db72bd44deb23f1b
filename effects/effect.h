// Effect: the base of the nine pedals. The processing side lives here; the
// panel side (lamps, footswitch, knobs) joins it through TObject.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>

#include "ui/object.h"

namespace ampliro {

// Stable pedal keys, stored in preset files to record the chain order.
enum EffectKey : int32_t {
    kKeyOverdrive = 0,
    kKeyReverb = 1,
    kKeyChorus = 2,
    kKeyPitchShifter = 3,
    kKeyDelay = 4,
    kKeyPhaser = 5,
    kKeyParametricEq = 6,
    kKeyGraphicEq = 7,
    kKeyTremolo = 8,
};
inline constexpr int kEffectCount = 9;

class Effect : public TObject {
  public:
    // Stores sampleRate and effectKey; subclasses (re)build buffers and
    // coefficients. Returns 1, or 0 when a buffer cannot be allocated.
    virtual int Init(int32_t sampleRate, int32_t effectKey);
    virtual int ProcessSample(int sample);
    // Called by the processing pass on the audio thread, in place. The base
    // does nothing; pedals of the common pattern call ProcessLevelMix when
    // not Bypassed.
    virtual void ProcessBlock(int16_t* samples, int32_t count);
    // Read or write the pedal's preset record; both return 1.
    virtual int Load(std::FILE* file);
    virtual int Save(std::FILE* file);

    // Saturates to 16 bits and drives the peak indicator, which stays lit for
    // sampleRate calls after the last clipped sample.
    int ClipSample(int x);

    const char* name = "";
    int32_t imageIndex = 0;

    // Written by the main thread, read by the audio thread from its next block.
    std::atomic<int32_t> effectKey{0};
    std::atomic<int32_t> level{48};  // Q6 input gain, 64 = unity
    std::atomic<int32_t> mix{32};    // Q6 wet share
    std::atomic<int32_t> sampleRate{0};
    int32_t peakHold = 0;  // audio thread only
    std::atomic<int32_t> enabled{0};
    // The Peak lamp's state: written by the audio thread, read when painting.
    std::atomic<int32_t> peakIndicator{0};

  protected:
    // The common block: dry = s * level >> 6, wet = ProcessSample(dry),
    // out = (wet * mix + dry * (64 - mix)) >> 6, kept to its low 16 bits.
    void ProcessLevelMix(int16_t* samples, int32_t count);
    bool Bypassed(int32_t count) const {
        return count < 1 || enabled.load(std::memory_order_relaxed) == 0;
    }
};

}  // namespace ampliro
