// ChorusPedal: the Chorus pedal around the chorus unit.
#pragma once

#include "effects/effect.h"
#include "effects/units/chorus/chorus.h"

namespace ampliro {

class ChorusPedal final : public TablePedal<ChorusPedal> {
  public:
    enum KnobId : int32_t { kSpeedKnob = 2, kDepthKnob = 3, kFeedbackKnob = 4, kMixKnob = 5 };

    ChorusPedal();
    // The stored parameters in the order of the preset record, and the knobs.
    static std::span<const PedalParam<ChorusPedal>> Params();

    int Init(int32_t rate, int32_t key) override;
    void ProcessBlock(int16_t* samples, int32_t count) override;

    // Sweep at speedValue / 32 Hz over depthValue samples.
    void SetChorus(float speedValue, int32_t depthValue, int32_t feedbackValue);

    dsp::Shared<int32_t> depth{32};
    dsp::Shared<int32_t> feedback{32};
    float speed = 16.0f;

    ScrollBar levelSlider;
    Knob knobs[4];

  protected:
    void ClearMemory() override { unit_.RequestClear(); }

  private:
    dsp::Chorus unit_;
};

}  // namespace ampliro
