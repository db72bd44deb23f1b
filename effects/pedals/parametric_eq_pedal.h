// ParametricEqPedal: the Parametric EQ pedal around the parametric EQ unit.
#pragma once

#include "effects/effect.h"
#include "effects/units/parametric_eq/parametric_eq.h"

namespace ampliro {

class ParametricEqPedal final : public TablePedal<ParametricEqPedal> {
  public:
    enum KnobId : int32_t { kFrequencyKnob = 2, kResonanceKnob = 3, kGainKnob = 4, kMixKnob = 5 };
    enum Mode : int32_t {
        kNotch = dsp::ParametricEq::kNotch,
        kLowPass = dsp::ParametricEq::kLowPass,
        kHighPass = dsp::ParametricEq::kHighPass,
        kBandPass = dsp::ParametricEq::kBandPass
    };

    ParametricEqPedal();
    // The stored parameters in the order of the preset record, and the knobs.
    static std::span<const PedalParam<ParametricEqPedal>> Params();

    int Init(int32_t rate, int32_t key) override;
    void ProcessBlock(int16_t* samples, int32_t count) override;

    // Stores both knob values and retunes the filter.
    void UpdateCoefficients(float resonanceValue, float frequencyHz);

    dsp::Shared<int32_t> gain{0};
    dsp::Shared<int32_t> mode{kBandPass};
    float resonance = 32.0f;
    float frequency = 2600.0f;

    ScrollBar levelSlider;
    Knob knobs[4];

  private:
    dsp::ParametricEq unit_;
    // The unit takes the pedal's settings as they stand at the audio side.
    void SyncUnit();
};

}  // namespace ampliro
