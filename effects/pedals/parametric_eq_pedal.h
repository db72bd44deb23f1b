// ParametricEqPedal: the Parametric EQ pedal around the parametric EQ unit.
#pragma once

#include "effects/effect.h"
#include "effects/units/parametric_eq/parametric_eq.h"

namespace ampliro {

class ParametricEqPedal final : public Effect {
  public:
    enum KnobId : int32_t { kFrequencyKnob = 2, kResonanceKnob = 3, kGainKnob = 4, kMixKnob = 5 };
    enum Mode : int32_t {
        kNotch = dsp::ParametricEq::kNotch,
        kLowPass = dsp::ParametricEq::kLowPass,
        kHighPass = dsp::ParametricEq::kHighPass,
        kBandPass = dsp::ParametricEq::kBandPass
    };

    ParametricEqPedal();

    int Init(int32_t rate, int32_t key) override;
    int ProcessSample(int x) override;
    void ProcessBlock(int16_t* samples, int32_t count) override;
    int Load(std::FILE* file) override;
    int Save(std::FILE* file) override;
    void OnControl(int32_t id, int32_t value) override;

    // Stores both knob values and retunes the filter.
    void UpdateCoefficients(float resonanceValue, float frequencyHz);

  private:
    dsp::ParametricEq unit_;

  public:
    int32_t& low = unit_.low();
    int32_t& high = unit_.high();
    int32_t& band = unit_.band();
    int32_t& notch = unit_.notch();
    dsp::Shared<int32_t> freqCoef{0};
    dsp::Shared<int32_t> gain{0};
    dsp::Shared<int32_t> dampCoef{0};
    dsp::Shared<int32_t> mode{kBandPass};
    float resonance = 32.0f;
    float frequency = 2600.0f;

    ScrollBar levelSlider;
    Knob knobs[4];

  private:
    void BuildPanel();
    // The unit takes the pedal's settings as they stand at the audio side.
    void SyncUnit();
};

}  // namespace ampliro
