// FilterLine: the Parametric EQ pedal, a resonant state-variable filter in
// Q10 with a selectable output (notch, low-pass, high-pass, band-pass) and a
// boost gain, inside the common level and mix.
#pragma once

#include "effects/effect.h"

namespace ampliro {

class FilterLine final : public Effect {
  public:
    FilterLine();

    int Init(int32_t rate, int32_t key) override;
    int ProcessSample(int x) override { return Filter(x); }
    void ProcessBlock(int16_t* samples, int32_t count) override;
    int Load(std::FILE* file) override;
    int Save(std::FILE* file) override;
    void OnControl(int32_t id, int32_t value) override;

    // Stores both knob values and retunes: f = 2 sin(pi F / 2 fs), capped at
    // 0.25; q = 2 (1 - (r/64)^(1/4)), capped by 2/f - f/2 for stability.
    void UpdateCoefficients(float resonanceValue, float frequencyHz);

    enum Mode : int32_t { kNotch = 1, kLowPass = 2, kHighPass = 3, kBandPass = 4 };

    float omegaScale = 0.0f;
    int32_t low = 0;
    int32_t high = 0;
    int32_t band = 0;
    int32_t notch = 0;
    Shared<int32_t> freqCoef{0};
    Shared<int32_t> gain{0};
    Shared<int32_t> dampCoef{0};
    int32_t filterRate = 0;
    int32_t lastOut = 0;
    Shared<int32_t> mode{kBandPass};
    float resonance = 32.0f;
    float frequency = 2600.0f;

    UIScrollBar levelSlider;
    UIKnob knobs[4];

  private:
    void BuildPanel();
    int32_t Filter(int32_t x);
    template <int32_t Mode>
    void Run(const int32_t* in, int32_t* sel, int32_t count);
    template <int32_t Mode>
    bool RunInRange(const int32_t* in, int32_t* sel, int32_t count);
    template <int32_t Mode>
    void RunMode(const int32_t* in, int32_t* sel, int32_t count);
    void RunBlock(const int32_t* in, int32_t* out, int32_t count);
};

}  // namespace ampliro
