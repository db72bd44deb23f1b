// PitchShifter: SoundTouch transposes the levelled signal by -12..+12
// semitones; the shifted signal is mixed with the dry one once a whole block
// of it is available, and until then the dry signal passes.
#pragma once

#include <SoundTouch.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "effects/units/dsp/fixed_point.h"

namespace ampliro::dsp {

class PitchShifter {
  public:
    // The largest block taken in one step: the longest stream buffer is
    // (50 + 2) x 128 bytes at 96000 Hz, 3328 samples, and a plugin host's
    // block is rarely over 100 ms at 48 kHz. Longer blocks are processed in
    // steps of this size.
    static constexpr int32_t kMaxBlock = 4800;

    PitchShifter() : input_(kMaxBlock), output_(kMaxBlock) {}

    // Main thread: sets SoundTouch up for the rate and shift and grows its
    // buffers to what any shift and block will need, then empties them.
    void Init(int32_t sampleRate, int32_t semitones);
    // Main thread: hands a new shift (-12..12) to SoundTouch at once. A new
    // pitch makes SoundTouch design its filters anew and allocate, which the
    // audio thread must never do; a block that finds SoundTouch busy here
    // passes levelled and dry instead of waiting.
    void SetSemitones(int32_t semitones);
    void SetLevel(int32_t level) { level_ = level; }
    void SetMix(int32_t mix) { mix_ = mix; }

    // In place: level, shift, mix. Never waits and never allocates.
    void Process(int16_t* samples, size_t count);

  private:
    void Prime(int32_t sampleRate);
    void ProcessStep(int16_t* samples, int32_t count);
    // Main thread: waits while a block is inside SoundTouch, then keeps the
    // audio thread out until the matching Release.
    void Hold();
    void Release();

    soundtouch::SoundTouch shifter_;
    Shared<int32_t> level_{48};
    Shared<int32_t> mix_{32};
    // Set by whichever thread is inside SoundTouch; acquire on taking it and
    // release on leaving, so each side sees the other's changes whole.
    std::atomic<bool> busy_{false};
    // Both only touched while holding busy_.
    bool configured_ = false;
    int32_t appliedSemitones_ = 3;
    std::vector<float> input_;
    std::vector<float> output_;
};

}  // namespace ampliro::dsp
