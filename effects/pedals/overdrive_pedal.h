// OverdrivePedal: the Overdrive pedal around the overdrive unit. No level
// slider, no mix and no peak lamp: the clipper has none of them.
#pragma once

#include "effects/effect.h"
#include "effects/units/overdrive/overdrive.h"

namespace ampliro {

class OverdrivePedal final : public Effect {
  public:
    enum KnobId : int32_t {
        kDriveKnob = 1,
        kSaturationKnob = 2,
        kBassKnob = 3,
        kMiddleKnob = 4,
        kTrebleKnob = 5
    };

    OverdrivePedal();

    int Init(int32_t rate, int32_t key) override;
    int ProcessSample(int x) override { return unit_.Clip(x); }
    void ProcessBlock(int16_t* samples, int32_t count) override;
    int Load(std::FILE* file) override;
    int Save(std::FILE* file) override;
    void OnControl(int32_t id, int32_t value) override;

    void SetDrive(int32_t value);
    void SetSaturation(int32_t value);
    void SetTone(int32_t bassGain, int32_t middleGain, int32_t trebleGain);

    static int32_t ThresholdFor(int32_t saturation) {
        return dsp::Overdrive::ThresholdFor(saturation);
    }

  private:
    dsp::Overdrive unit_;

  public:
    dsp::Shared<int32_t> drive{32};
    dsp::Shared<int32_t> saturation{32};
    dsp::Shared<int32_t> threshold{11264};
    int32_t bass = 32;
    int32_t middle = 32;
    int32_t treble = 32;
    dsp::ToneStack& toneStack = unit_.toneStack();

    Knob knobs[5];

  private:
    void BuildPanel();
};

}  // namespace ampliro
