// PitchShifterPedal: the Pitch Shifter pedal around the pitch shifter unit.
#pragma once

#include "effects/effect.h"
#include "effects/units/pitch_shifter/pitch_shifter.h"

namespace ampliro {

class PitchShifterPedal final : public TablePedal<PitchShifterPedal> {
  public:
    enum KnobId : int32_t { kPitchKnob = 2, kMixKnob = 3 };
    static constexpr int32_t kMaxBlock = dsp::PitchShifter::kMaxBlock;

    PitchShifterPedal();
    // The stored parameters in the order of the preset record, and the knobs.
    static std::span<const PedalParam<PitchShifterPedal>> Params();

    int Init(int32_t rate, int32_t key) override;
    void ProcessBlock(int16_t* samples, int32_t count) override;

    // Main thread: stores the shift (-12..12) and hands it to SoundTouch at
    // once.
    void SetSemitones(int32_t value);

    dsp::Shared<int32_t> semitones{3};

    ScrollBar levelSlider;
    Knob knobs[2];

  private:
    dsp::PitchShifter unit_;
    void BuildPanel();
};

}  // namespace ampliro
