// ReverbPedal: the Digital Reverb pedal around the reverb unit. Its Filter
// knob edits the low or the high band's gain, as the LP/HP selector says.
#pragma once

#include "effects/effect.h"
#include "effects/units/reverb/reverb.h"

namespace ampliro {

class ReverbPedal final : public TablePedal<ReverbPedal> {
  public:
    enum KnobId : int32_t { kTimeKnob = 2, kDecayKnob = 3, kFilterKnob = 4, kMixKnob = 5 };

    ReverbPedal();
    // The stored parameters in the order of the preset record, and the knobs.
    static std::span<const PedalParam<ReverbPedal>> Params();

    int Init(int32_t rate, int32_t key) override;
    void ProcessBlock(int16_t* samples, int32_t count) override;

    // Comb 0 at ms (1..250) with the decay gain 0.68 + decay / 256.
    void SetReverb(int32_t ms, int32_t decay);
    void SetFilterGains(int32_t lp, int32_t hp);
    // The LP/HP selector; returns the value the Filter knob now shows.
    int32_t ToggleFilterSelector();

    static constexpr int32_t kFilterSelectorId = 20;

    int32_t lpGain = 32;
    int32_t hpGain = 32;
    int32_t filterIsLow = 0;
    int32_t delayMs = 32;
    int32_t decayAmount = 32;

    ScrollBar levelSlider;
    Knob knobs[4];
    Button filterSelector;

  protected:
    void ClearMemory() override { unit_.RequestClear(); }
    bool OnOwnControl(int32_t id, int32_t value) override;

  private:
    dsp::Reverb unit_;
    void BuildPanel();
};

}  // namespace ampliro
