// Tremolo: the pedal around the tremolo unit; Depth is the common mix, so
// Depth 0 leaves the levelled signal untouched.
#pragma once

#include "effects/effect.h"
#include "effects/units/tremolo/tremolo.h"

namespace ampliro {

class TremoloPedal final : public Effect {
  public:
    enum KnobId : int32_t { kSpeedKnob = 2, kDepthKnob = 3 };

    TremoloPedal();

    int Init(int32_t rate, int32_t key) override;
    int ProcessSample(int x) override { return unit_.Modulate(x); }
    void ProcessBlock(int16_t* samples, int32_t count) override;
    int Load(std::FILE* file) override;
    int Save(std::FILE* file) override;
    void OnControl(int32_t id, int32_t value) override;

    // LFO at rateKnob / 4 Hz; depth is the mix.
    void SetTremolo(int32_t rateKnob, int32_t depth);

  private:
    dsp::Tremolo unit_;

  public:
    dsp::WavetableLfo& lfo = unit_.lfo();
    int32_t tremoloRate = 32;

    ScrollBar levelSlider;
    Knob knobs[2];

  private:
    void BuildPanel();
};

}  // namespace ampliro
