// ReverbLine: the Digital Reverb pedal. Eight parallel feedback combs with
// lengths L / 2^(i/8) and gains normalised to one decay rate are averaged,
// then shaped by the reverb's own tone stack (Filter knob on its low or high
// band) and mixed with the dry signal.
#pragma once

#include <memory>

#include "effects/effect.h"
#include "effects/tone_stack/tone_stack.h"

namespace ampliro {

class ReverbLine final : public Effect {
  public:
    ReverbLine();

    int Init(int32_t rate, int32_t key) override;
    int ProcessSample(int x) override { return Reverberate(x); }
    void ProcessBlock(int16_t* samples, int32_t count) override;
    int Load(std::FILE* file) override;
    int Save(std::FILE* file) override;
    void OnControl(int32_t id, int32_t value) override;

    // Base length L = fs x ms / 1000 (ms in 1..250) and decay gain
    // g = 0.68 + decay / 256 for comb 0; comb i gets g^(length_i / L).
    void SetReverb(int32_t ms, int32_t decay);
    void SetFilterGains(int32_t lp, int32_t hp);
    // The LP/HP selector; returns the value the Filter knob now shows.
    int32_t ToggleFilterSelector();

    static constexpr int kCombs = 8;
    static constexpr int32_t kFilterSelectorId = 20;

    int32_t lpGain = 32;
    int32_t hpGain = 32;
    int32_t filterIsLow = 0;
    Shared<int32_t> combLength[kCombs];
    Shared<int32_t> combGain[kCombs];
    std::unique_ptr<int32_t[]> combBuffer[kCombs];
    int32_t spanSamples = 0;
    int32_t delayMs = 32;
    int32_t decayAmount = 32;
    int32_t combPos[kCombs] = {};
    ToneStack toneStack;

    UIScrollBar levelSlider;
    UIKnob knobs[4];
    UIButton filterSelector;

  protected:
    void ClearMemory() override { clearPending = 1; }

  private:
    void BuildPanel();
    int32_t Reverberate(int32_t x);
    void RunCombs(const int32_t* x, int32_t* highs, int32_t* lows, int32_t count);
    bool buffersReady_ = false;
    int32_t capacity_ = 0;  // entries per comb buffer: 250 ms at the rate
    Shared<int32_t> clearPending{0};
};

}  // namespace ampliro
