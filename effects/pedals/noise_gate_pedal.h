// NoiseGatePedal: the pedal around the noise gate unit, first in the default
// chain. Five knobs: threshold and hysteresis in dB, attack, hold and
// release in ms. No level, no mix: a gate passes the note or silence.
#pragma once

#include "effects/effect.h"
#include "effects/pedals/knob_reading.h"
#include "effects/units/noise_gate/noise_gate.h"

namespace ampliro {

class NoiseGatePedal final : public TablePedal<NoiseGatePedal> {
  public:
    enum KnobId : int32_t {
        kThresholdKnob = 2,
        kHysteresisKnob = 3,
        kAttackKnob = 4,
        kHoldKnob = 5,
        kReleaseKnob = 6
    };

    static constexpr bool kHasLevelSlider = false;

    NoiseGatePedal();
    // The stored parameters in the order of the preset record, and the knobs.
    static std::span<const PedalParam<NoiseGatePedal>> Params();

    int Init(int32_t rate, int32_t key) override;
    void ProcessBlock(int16_t* samples, int32_t count) override;

    // The knobs: dBFS, dB, tenths of a ms, ms, ms; each clamped to its range.
    void SetThreshold(int32_t dbfs);
    void SetHysteresis(int32_t db);
    void SetAttack(int32_t tenthsMs);
    void SetHold(int32_t ms);
    void SetRelease(int32_t ms);

    int32_t threshold = -60;
    int32_t hysteresis = 6;
    int32_t attack = 5;
    int32_t hold = 50;
    int32_t release = 100;

    Knob knobs[5];

  protected:
    void ShowReadings() override;

  private:
    void BuildPanel();
    template <void (dsp::NoiseGate::*Set)(float)>
    void Apply(int32_t& knob, int32_t row, int32_t value, float divisor = 1.0f);

    dsp::NoiseGate unit_;
    char readings_[5][kReadingLength] = {};
};

}  // namespace ampliro
