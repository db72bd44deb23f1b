// DelayLine: the Digital Delay pedal, a single-tap echo of up to three
// seconds with feedback (Decay) and a one-pole low-pass on the echo (Cutoff).
#pragma once

#include <memory>

#include "effects/effect.h"

namespace ampliro {

class DelayLine final : public Effect {
  public:
    DelayLine();

    int Init(int32_t rate, int32_t key) override;
    int ProcessSample(int x) override { return Echo(x); }
    void ProcessBlock(int16_t* samples, int32_t count) override;
    int Load(std::FILE* file) override;
    int Save(std::FILE* file) override;
    void OnControl(int32_t id, int32_t value) override;

    // delaySamples = fs x ms / 1000, with ms in 1..3000; writePos is kept.
    void SetDelay(int32_t ms, int32_t decayValue);
    void SetCutoff(int32_t value);

    static constexpr int32_t kMaxDelayMs = 3000;

    std::unique_ptr<int32_t[]> buffer;
    int32_t bufferLength = 0;
    Shared<int32_t> delaySamples{0};
    int32_t delayMs = 500;
    int32_t writePos = 0;
    Shared<int32_t> decay{32};
    int32_t toneState = 0;
    Shared<int32_t> toneCoef{16384};
    int32_t cutoff = 64;

    UIScrollBar levelSlider;
    UIKnob knobs[4];

  protected:
    void ClearMemory() override { clearPending = 1; }

  private:
    void BuildPanel();
    int32_t Echo(int32_t x);
    template <typename In, typename Out>
    void Run(int32_t count, In in, Out out);
    static constexpr int32_t kChunk = 256;
    void EchoBlock(const int32_t* dry, int16_t* echo, int32_t count);
    void EchoRun(const int32_t* dry, int16_t* echo, int32_t n);
    Shared<int32_t> clearPending{0};
};

}  // namespace ampliro
