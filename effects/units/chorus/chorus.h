// Chorus: a 1024-sample line read at a position swept by a sine LFO (6 to
// 2 x Depth + 6 samples back) with linear interpolation; the delayed sample
// is averaged with the input and part of the average is fed back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "effects/units/dsp/fixed_point.h"
#include "effects/units/dsp/peak_hold.h"
#include "effects/units/wavetable_lfo/wavetable_lfo.h"

namespace ampliro::dsp {

// The unit tests' view of a unit's private state (tests/effects/units).
struct UnitInternals;

class Chorus {
  public:
    static constexpr int32_t kLineLength = 1024;

    // A fresh LFO (bipolar, 256 entries, phase 0) and a cleared line. False
    // when the line cannot be allocated; the wet signal is then silence.
    bool Init(int32_t sampleRate);
    // Speed in 1/32 Hz (the knob's 1..64); depth in samples of sweep, 0..64;
    // feedback Q6, 0..64; level and mix Q6.
    void SetSpeed(float speed) { lfo_.SetFrequency(speed * 0.03125f); }
    void SetDepth(int32_t depth) { depth_ = ClampInt(depth, 0, 64); }
    void SetFeedback(int32_t feedback) { feedback_ = ClampInt(feedback, 0, 64); }
    void SetLevel(int32_t level) { level_ = level; }
    void SetMix(int32_t mix) { mix_ = mix; }
    // Asks the audio side to empty the line before its next block.
    void RequestClear() { clearPending_ = 1; }
    void ApplyPendingClear();

    // In place: level, chorus, saturation of the wet value, mix.
    ClipReport Process(int16_t* block, size_t count);

  private:
    friend struct UnitInternals;

    // The per-sample step: one dry sample to its wet value, not saturated.
    int32_t Step(int32_t x);
    // count (at most one LFO chunk) dry samples to unsaturated wet ones.
    void Run(const int32_t* dry, int32_t* wet, int32_t count, int32_t depth, int64_t feedback);

    WavetableLfo lfo_;
    std::unique_ptr<int32_t[]> line_;
    int32_t writePos_ = 0;
    Shared<int32_t> depth_{32};
    Shared<int32_t> feedback_{32};
    Shared<int32_t> level_{48};
    Shared<int32_t> mix_{32};
    Shared<int32_t> clearPending_{0};
};

}  // namespace ampliro::dsp
