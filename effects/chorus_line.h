// ChorusLine: the Chorus pedal. A 1024-sample line read at a position swept
// by a sine LFO (6 to 2 x Depth + 6 samples back, at any rate) with linear
// interpolation; the delayed sample is averaged with the input and part of
// the average is fed back.
#pragma once

#include <memory>

#include "effects/effect.h"
#include "effects/wavetable_lfo.h"

namespace ampliro {

class ChorusLine final : public Effect {
  public:
    ChorusLine();

    int Init(int32_t rate, int32_t key) override;
    int ProcessSample(int x) override { return Chorus(x); }
    void ProcessBlock(int16_t* samples, int32_t count) override;
    int Load(std::FILE* file) override;
    int Save(std::FILE* file) override;
    void OnControl(int32_t id, int32_t value) override;

    // Sweep at speedValue / 32 Hz over depthValue samples.
    void SetChorus(float speedValue, int32_t depthValue, int32_t feedbackValue);

    static constexpr int32_t kBufferLength = 1024;

    WavetableLfo lfo;
    std::unique_ptr<int32_t[]> buffer;
    int32_t bufferLength = kBufferLength;
    int32_t writePos = 0;
    Shared<int32_t> depth{32};
    Shared<int32_t> feedback{32};
    float speed = 16.0f;

    UIScrollBar levelSlider;
    UIKnob knobs[4];

  protected:
    void ClearMemory() override { clearPending = 1; }

  private:
    void BuildPanel();
    int32_t Chorus(int32_t x);
    // count (at most WavetableLfo::kChunk) dry samples to unsaturated wet
    // ones, with the depth and feedback read once by the caller.
    void Run(const int32_t* dry, int32_t* wet, int32_t count, int32_t d, int64_t fb);
    Shared<int32_t> clearPending{0};
};

}  // namespace ampliro
