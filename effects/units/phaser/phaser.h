// Phaser: four equal first-order all-pass stages in Q14, retuned every
// sample by a slow unipolar LFO, fed back from their output and added to the
// input.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "effects/units/dsp/fixed_point.h"
#include "effects/units/dsp/peak_hold.h"
#include "effects/units/wavetable_lfo/wavetable_lfo.h"

namespace ampliro::dsp {

// The unit tests' view of a unit's private state (tests/effects/units).
struct UnitInternals;

class Phaser {
  public:
    struct Stage {
        int32_t coefficient = 0;
        int32_t state = 0;
    };
    // The sweep range, in the units TuningWord takes.
    static constexpr int32_t kSweepLow = 440;
    static constexpr int32_t kSweepHigh = 1600;

    // A fresh LFO (unipolar, 1024 entries, phase 0) for the rate; the stages
    // keep their memory.
    void Init(int32_t sampleRate);
    // Speed in 1/64 Hz (the knob's 1..64); depth and feedback Q6, 0..64.
    void SetSpeed(int32_t k) { lfo_.SetFrequency(static_cast<float>(k) * 0.015625f); }
    void SetDepth(int32_t depth) { depth_ = depth; }
    void SetFeedback(int32_t feedback) { feedback_ = feedback; }
    void SetLevel(int32_t level) { level_ = level; }
    void SetMix(int32_t mix) { mix_ = mix; }

    // The sweep value as a Q14 tuning word for the rate.
    int32_t TuningWord(int32_t sweep) const;
    // All-pass coefficient (1 - w) / (1 + w) in Q14.
    static int32_t AllpassCoefficient(int32_t tuningWord);

    // In place: level, phaser, saturation of the wet value, mix. Each sample
    // counts as two clip steps, its input and its output.
    ClipReport Process(int16_t* block, size_t count);

  private:
    friend struct UnitInternals;

    // The per-sample step for a 16-bit x: the wet value, not saturated.
    int32_t Step(int32_t x);
    // The next count (at most one LFO chunk) all-pass coefficients.
    void Coefficients(int32_t* values, int32_t count);
    void Allpass(const int32_t* dry, const int32_t* coef, int32_t* wet, int32_t count,
                 int64_t feedback, int64_t depth);

    WavetableLfo lfo_;
    std::array<Stage, 4> stages_{};
    // What each shift dropped last time, carried into its next sum: the
    // feedback's (0..63) and each stage's two (0..16383).
    int32_t feedbackError_ = 0;
    std::array<int32_t, 8> stageErrors_{};
    int32_t rate_ = 0;
    int32_t lastAllpass_ = 0;
    Shared<int32_t> feedback_{32};
    Shared<int32_t> depth_{32};
    Shared<int32_t> level_{48};
    Shared<int32_t> mix_{32};
};

}  // namespace ampliro::dsp
