// DistortionLine: the Overdrive pedal. A three-band tone stack shapes the
// signal, then a drive gain pushes it into a symmetric hard clipper whose
// threshold falls as Saturation rises. No level, mix or peak lamp.
#pragma once

#include "effects/effect.h"
#include "effects/tone_stack.h"

namespace ampliro {

class DistortionLine final : public Effect {
  public:
    DistortionLine();

    int Init(int32_t rate, int32_t key) override;
    int ProcessSample(int x) override { return Clip(x); }
    void ProcessBlock(int16_t* samples, int32_t count) override;
    int Load(std::FILE* file) override;
    int Save(std::FILE* file) override;
    void OnControl(int32_t id, int32_t value) override;

    void SetDrive(int32_t value) { drive = ClampInt(value, 0, 64); }
    void SetSaturation(int32_t value);
    void SetTone(int32_t bassGain, int32_t middleGain, int32_t trebleGain);

    // Clip level for a Saturation value: 4096 + 28672 * 2^(-8 (s/64)^2).
    static int32_t ThresholdFor(int32_t saturation);

    Shared<int32_t> drive{32};
    Shared<int32_t> saturation{32};
    Shared<int32_t> threshold{11264};
    int32_t bass = 32;
    int32_t middle = 32;
    int32_t treble = 32;
    ToneStack toneStack;

    UIKnob knobs[5];

  private:
    void BuildPanel();
    int32_t Clip(int32_t x) const;
    void WriteToneGains();
};

}  // namespace ampliro
