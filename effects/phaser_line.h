// PhaserLine: the Phase Shifter pedal. Four equal first-order all-pass
// stages in Q14, retuned every sample by a slow unipolar LFO, fed back from
// their output and added to the input.
#pragma once

#include <array>

#include "effects/effect.h"
#include "effects/wavetable_lfo.h"

namespace ampliro {

class PhaserLine final : public Effect {
  public:
    PhaserLine();

    int Init(int32_t rate, int32_t key) override;
    int ProcessSample(int x) override { return Phase(x); }
    void ProcessBlock(int16_t* samples, int32_t count) override;
    int Load(std::FILE* file) override;
    int Save(std::FILE* file) override;
    void OnControl(int32_t id, int32_t value) override;

    // LFO at k / 64 Hz.
    void SetRate(int32_t k);
    // The sweep value F as a Q14 tuning word for this rate.
    int32_t TuningWord(int32_t sweep) const;
    // All-pass coefficient (1 - w) / (1 + w) in Q14.
    static int32_t AllpassCoefficient(int32_t tuningWord);

    struct Stage {
        int32_t coefficient = 0;
        int32_t state = 0;
    };

    WavetableLfo lfo;
    Stage stages[4];
    // The sweep range Init sets, in the units TuningWord takes.
    static constexpr int32_t kSweepLow = 440;
    static constexpr int32_t kSweepHigh = 1600;
    int32_t sweepLow = kSweepLow;
    int32_t sweepHigh = kSweepHigh;
    // The all-pass coefficient of each sweep value sweepLow + k, for this rate.
    std::array<int32_t, kSweepHigh - kSweepLow + 1> sweepCoefficients{};
    Shared<int32_t> feedback{32};
    Shared<int32_t> depth{32};
    int32_t rateKnob = 32;
    int32_t phaserRate = 0;
    int32_t lastAllpass = 0;
    int32_t halfRate = 0;

    UIScrollBar levelSlider;
    UIKnob knobs[4];

  private:
    void BuildPanel();
    int32_t Phase(int32_t x);
    // The next count (at most WavetableLfo::kChunk) all-pass coefficients.
    void Coefficients(int32_t* values, int32_t count);
    void Allpass(const int32_t* dry, const int32_t* coef, int32_t* wet, int32_t count, int64_t fb,
                 int64_t dp);
};

}  // namespace ampliro
