// PhaserPedal: the Phase Shifter pedal around the phaser unit.
#pragma once

#include <array>

#include "effects/effect.h"
#include "effects/units/phaser/phaser.h"

namespace ampliro {

class PhaserPedal final : public Effect {
  public:
    enum KnobId : int32_t { kSpeedKnob = 2, kDepthKnob = 3, kFeedbackKnob = 4, kMixKnob = 5 };
    using Stage = dsp::Phaser::Stage;
    static constexpr int32_t kSweepLow = dsp::Phaser::kSweepLow;
    static constexpr int32_t kSweepHigh = dsp::Phaser::kSweepHigh;

    PhaserPedal();

    int Init(int32_t rate, int32_t key) override;
    int ProcessSample(int x) override;
    void ProcessBlock(int16_t* samples, int32_t count) override;
    int Load(std::FILE* file) override;
    int Save(std::FILE* file) override;
    void OnControl(int32_t id, int32_t value) override;

    // LFO at k / 64 Hz.
    void SetRate(int32_t k);
    int32_t TuningWord(int32_t sweep) const { return unit_.TuningWord(sweep); }
    static int32_t AllpassCoefficient(int32_t tuningWord) {
        return dsp::Phaser::AllpassCoefficient(tuningWord);
    }

  private:
    dsp::Phaser unit_;

  public:
    dsp::WavetableLfo& lfo = unit_.lfo();
    std::array<Stage, 4>& stages = unit_.stages();
    dsp::Shared<int32_t> feedback{32};
    dsp::Shared<int32_t> depth{32};
    int32_t rateKnob = 32;
    const int32_t& phaserRate = unit_.rate();

    ScrollBar levelSlider;
    Knob knobs[4];

  private:
    void BuildPanel();
    // The unit takes the pedal's settings as they stand at the audio side.
    void SyncUnit();
};

}  // namespace ampliro
