// OverdrivePedal: the Overdrive pedal around the overdrive unit. No level
// slider, no mix and no peak lamp: the clipper has none of them.
#pragma once

#include "effects/effect.h"
#include "effects/units/overdrive/overdrive.h"

namespace ampliro {

class OverdrivePedal final : public TablePedal<OverdrivePedal> {
  public:
    enum KnobId : int32_t {
        kDriveKnob = 1,
        kSaturationKnob = 2,
        kBassKnob = 3,
        kMiddleKnob = 4,
        kTrebleKnob = 5
    };

    static constexpr bool kHasLevelSlider = false;

    OverdrivePedal();
    // The stored parameters in the order of the preset record, and the knobs.
    static std::span<const PedalParam<OverdrivePedal>> Params();

    int Init(int32_t rate, int32_t key) override;
    void ProcessBlock(int16_t* samples, int32_t count) override;
    // The tone stack's one-pole chains answer three samples late, and its
    // high band is taken against the input three samples back to match: the
    // whole pedal sounds three samples after its input.
    int32_t LatencyFrames() const override {
        return enabled.load(std::memory_order_relaxed) ? 3 : 0;
    }

    void SetDrive(int32_t value);
    void SetSaturation(int32_t value);
    void SetTone(int32_t bassGain, int32_t middleGain, int32_t trebleGain);

    dsp::Shared<int32_t> drive{32};
    dsp::Shared<int32_t> saturation{32};
    int32_t bass = 32;
    int32_t middle = 32;
    int32_t treble = 32;

    Knob knobs[5];

  private:
    dsp::Overdrive unit_;
    void BuildPanel();
};

}  // namespace ampliro
