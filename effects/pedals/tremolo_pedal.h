// Tremolo: the pedal around the tremolo unit; Depth is the common mix, so
// Depth 0 leaves the levelled signal untouched.
#pragma once

#include "effects/effect.h"
#include "effects/units/tremolo/tremolo.h"

namespace ampliro {

class TremoloPedal final : public TablePedal<TremoloPedal> {
  public:
    enum KnobId : int32_t { kSpeedKnob = 2, kDepthKnob = 3 };

    TremoloPedal();
    // The stored parameters in the order of the preset record, and the knobs.
    static std::span<const PedalParam<TremoloPedal>> Params();

    int Init(int32_t rate, int32_t key) override;
    void ProcessBlock(int16_t* samples, int32_t count) override;

    // LFO at rateKnob / 4 Hz; depth is the mix.
    void SetTremolo(int32_t rateKnob, int32_t depth);

    int32_t tremoloRate = 32;

    ScrollBar levelSlider;
    Knob knobs[2];

  private:
    dsp::Tremolo unit_;
    void BuildPanel();
};

}  // namespace ampliro
