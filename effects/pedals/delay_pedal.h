// DelayPedal: the Digital Delay pedal around the delay unit.
#pragma once

#include "effects/effect.h"
#include "effects/units/delay/delay.h"

namespace ampliro {

class DelayPedal final : public TablePedal<DelayPedal> {
  public:
    enum KnobId : int32_t { kDelayKnob = 2, kDecayKnob = 3, kCutoffKnob = 4, kMixKnob = 5 };

    DelayPedal();
    // The stored parameters in the order of the preset record, and the knobs.
    static std::span<const PedalParam<DelayPedal>> Params();

    int Init(int32_t rate, int32_t key) override;
    void ProcessBlock(int16_t* samples, int32_t count) override;

    // delaySamples = fs x ms / 1000, with ms in 1..3000; writePos is kept.
    void SetDelay(int32_t ms, int32_t decayValue);
    void SetCutoff(int32_t value);

    static constexpr int32_t kMaxDelayMs = dsp::Delay::kMaxDelayMs;

    int32_t delayMs = 500;
    dsp::Shared<int32_t> decay{32};
    int32_t cutoff = 64;

    ScrollBar levelSlider;
    Knob knobs[4];

  protected:
    void ClearMemory() override { unit_.RequestClear(); }

  private:
    dsp::Delay unit_;
    // The unit takes the pedal's level and mix as they stand at the audio side.
    void SyncUnit();
};

}  // namespace ampliro
