// ParametricEq: a resonant state-variable filter in Q10 with a selectable
// output (notch, low-pass, high-pass, band-pass) and a boost gain, inside
// the common level and mix.
#pragma once

#include <cstddef>
#include <cstdint>

#include "effects/units/dsp/fixed_point.h"
#include "effects/units/dsp/peak_hold.h"

namespace ampliro::dsp {

// The unit tests' view of a unit's private state (tests/effects/units).
struct UnitInternals;

class ParametricEq {
  public:
    enum Mode : int32_t { kNotch = 1, kLowPass = 2, kHighPass = 3, kBandPass = 4 };

    // The tuning scale for the rate; call SetTuning after it.
    void Init(int32_t sampleRate);
    // f = 2 sin(pi F / 2 fs), capped at 0.25; q = 2 (1 - (r/64)^(1/4)),
    // capped by 2/f - f/2 for stability (resonance 0..64, F in Hz).
    void SetTuning(float resonance, float frequencyHz);
    void SetMode(int32_t mode) { mode_ = mode; }
    // Boost 0..64: the selected output times (64 + gain) / 64.
    void SetGain(int32_t gain) { gain_ = gain; }
    void SetLevel(int32_t level) { level_ = level; }
    void SetMix(int32_t mix) { mix_ = mix; }

    // In place: level, filter, boost, saturation of the wet value, mix.
    ClipReport Process(int16_t* samples, size_t count);

  private:
    friend struct UnitInternals;

    // The per-sample step: the boosted output, not saturated.
    int32_t Step(int32_t x);
    template <int32_t Mode>
    void Run(const int32_t* in, int32_t* sel, int32_t count);
    template <int32_t Mode>
    bool RunInRange(const int32_t* in, int32_t* sel, int32_t count);
    template <int32_t Mode>
    void RunMode(const int32_t* in, int32_t* sel, int32_t count);
    void RunBlock(const int32_t* in, int32_t* out, int32_t count);

    float omegaScale_ = 0.0f;
    int32_t low_ = 0;
    int32_t high_ = 0;
    int32_t band_ = 0;
    int32_t notch_ = 0;
    // The low 10 bits the two integrators' shifts dropped, 0..1023.
    int32_t lowError_ = 0;
    int32_t bandError_ = 0;
    Shared<int32_t> freqCoef_{0};
    Shared<int32_t> dampCoef_{0};
    Shared<int32_t> gain_{0};
    Shared<int32_t> mode_{kBandPass};
    Shared<int32_t> level_{48};
    Shared<int32_t> mix_{32};
};

}  // namespace ampliro::dsp
