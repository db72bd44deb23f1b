// ChorusPedal: the Chorus pedal around the chorus unit.
#pragma once

#include <memory>

#include "effects/effect.h"
#include "effects/units/chorus/chorus.h"

namespace ampliro {

class ChorusPedal final : public Effect {
  public:
    enum KnobId : int32_t { kSpeedKnob = 2, kDepthKnob = 3, kFeedbackKnob = 4, kMixKnob = 5 };

    ChorusPedal();

    int Init(int32_t rate, int32_t key) override;
    int ProcessSample(int x) override { return ClipSample(unit_.Step(x)); }
    void ProcessBlock(int16_t* samples, int32_t count) override;
    int Load(std::FILE* file) override;
    int Save(std::FILE* file) override;
    void OnControl(int32_t id, int32_t value) override;

    // Sweep at speedValue / 32 Hz over depthValue samples.
    void SetChorus(float speedValue, int32_t depthValue, int32_t feedbackValue);

    static constexpr int32_t kBufferLength = dsp::Chorus::kLineLength;

  private:
    dsp::Chorus unit_;

  public:
    dsp::WavetableLfo& lfo = unit_.lfo();
    std::unique_ptr<int32_t[]>& buffer = unit_.line();
    int32_t bufferLength = kBufferLength;
    int32_t& writePos = unit_.writePos();
    dsp::Shared<int32_t> depth{32};
    dsp::Shared<int32_t> feedback{32};
    float speed = 16.0f;

    ScrollBar levelSlider;
    Knob knobs[4];

  protected:
    void ClearMemory() override { unit_.RequestClear(); }

  private:
    void BuildPanel();
};

}  // namespace ampliro
