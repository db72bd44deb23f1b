// PhaserPedal: the Phase Shifter pedal around the phaser unit.
#pragma once

#include "effects/effect.h"
#include "effects/units/phaser/phaser.h"

namespace ampliro {

class PhaserPedal final : public TablePedal<PhaserPedal> {
  public:
    enum KnobId : int32_t { kSpeedKnob = 2, kDepthKnob = 3, kFeedbackKnob = 4, kMixKnob = 5 };

    PhaserPedal();
    // The stored parameters in the order of the preset record, and the knobs.
    static std::span<const PedalParam<PhaserPedal>> Params();

    int Init(int32_t rate, int32_t key) override;
    void ProcessBlock(int16_t* samples, int32_t count) override;

    // LFO at k / 64 Hz.
    void SetRate(int32_t k);

    dsp::Shared<int32_t> feedback{32};
    dsp::Shared<int32_t> depth{32};
    int32_t rateKnob = 32;

    ScrollBar levelSlider;
    Knob knobs[4];

  private:
    dsp::Phaser unit_;
    // The unit takes the pedal's settings as they stand at the audio side.
    void SyncUnit();
};

}  // namespace ampliro
