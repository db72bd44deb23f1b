// DelayPedal: the Digital Delay pedal around the delay unit.
#pragma once

#include <memory>

#include "effects/effect.h"
#include "effects/units/delay/delay.h"

namespace ampliro {

class DelayPedal final : public Effect {
  public:
    enum KnobId : int32_t { kDelayKnob = 2, kDecayKnob = 3, kCutoffKnob = 4, kMixKnob = 5 };

    DelayPedal();

    int Init(int32_t rate, int32_t key) override;
    int ProcessSample(int x) override;
    void ProcessBlock(int16_t* samples, int32_t count) override;
    int Load(std::FILE* file) override;
    int Save(std::FILE* file) override;
    void OnControl(int32_t id, int32_t value) override;

    // delaySamples = fs x ms / 1000, with ms in 1..3000; writePos is kept.
    void SetDelay(int32_t ms, int32_t decayValue);
    void SetCutoff(int32_t value);

    static constexpr int32_t kMaxDelayMs = dsp::Delay::kMaxDelayMs;

  private:
    dsp::Delay unit_;

  public:
    std::unique_ptr<int32_t[]>& buffer = unit_.line();
    int32_t& bufferLength = unit_.lineLength();
    dsp::Shared<int32_t> delaySamples{0};
    int32_t delayMs = 500;
    int32_t& writePos = unit_.writePos();
    dsp::Shared<int32_t> decay{32};
    int32_t& toneState = unit_.toneState();
    dsp::Shared<int32_t> toneCoef{16384};
    int32_t cutoff = 64;

    ScrollBar levelSlider;
    Knob knobs[4];

  protected:
    void ClearMemory() override { unit_.RequestClear(); }

  private:
    void BuildPanel();
    // The unit takes the pedal's level and mix as they stand at the audio side.
    void SyncUnit();
};

}  // namespace ampliro
