// ReverbPedal: the Digital Reverb pedal around the reverb unit. Its Filter
// knob edits the low or the high band's gain, as the LP/HP selector says.
#pragma once

#include <memory>

#include "effects/effect.h"
#include "effects/units/reverb/reverb.h"

namespace ampliro {

class ReverbPedal final : public Effect {
  public:
    enum KnobId : int32_t { kTimeKnob = 2, kDecayKnob = 3, kFilterKnob = 4, kMixKnob = 5 };

    ReverbPedal();

    int Init(int32_t rate, int32_t key) override;
    int ProcessSample(int x) override;
    void ProcessBlock(int16_t* samples, int32_t count) override;
    int Load(std::FILE* file) override;
    int Save(std::FILE* file) override;
    void OnControl(int32_t id, int32_t value) override;

    // Comb 0 at ms (1..250) with the decay gain 0.68 + decay / 256.
    void SetReverb(int32_t ms, int32_t decay);
    void SetFilterGains(int32_t lp, int32_t hp);
    // The LP/HP selector; returns the value the Filter knob now shows.
    int32_t ToggleFilterSelector();

    static constexpr int kCombs = dsp::Reverb::kCombs;
    static constexpr int32_t kFilterSelectorId = 20;

  private:
    dsp::Reverb unit_;

  public:
    int32_t lpGain = 32;
    int32_t hpGain = 32;
    int32_t filterIsLow = 0;
    dsp::Shared<int32_t> (&combLength)[kCombs] = unit_.combLength();
    dsp::Shared<int32_t> (&combGain)[kCombs] = unit_.combGain();
    std::unique_ptr<int32_t[]> (&combBuffer)[kCombs] = unit_.combBuffer();
    int32_t& spanSamples = unit_.spanSamples();
    int32_t delayMs = 32;
    int32_t decayAmount = 32;
    int32_t (&combPos)[kCombs] = unit_.combPos();
    dsp::ToneStack& toneStack = unit_.toneStack();

    ScrollBar levelSlider;
    Knob knobs[4];
    Button filterSelector;

  protected:
    void ClearMemory() override { unit_.RequestClear(); }

  private:
    void BuildPanel();
};

}  // namespace ampliro
