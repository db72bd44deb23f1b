// PitchShifterPedal: the Pitch Shifter pedal around the pitch shifter unit.
#pragma once

#include <atomic>
#include <vector>

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
    // SoundTouch's output depends on the steps it is fed, so the pedal feeds
    // it in blocks of its own: the stream's block at the latency setting,
    // taken at Init. When the stream's blocks are of another length (the
    // period of a JACK server) the pedal gathers its block from them and
    // plays each processed block one block later: its output is then
    // delayed by this many frames, and otherwise the same sample for sample.
    // 0 until the audio settings set one.
    void SetOwnBlock(int32_t frames) override;
    int32_t OwnBlock() const { return ownBlock_; }
    // Its own block while it gathers one from shorter blocks (on JACK), else 0.
    int32_t LatencyFrames() const override;

    dsp::Shared<int32_t> semitones{3};

    ScrollBar levelSlider;
    Knob knobs[2];

  private:
    void ProcessGathered(int16_t* samples, int32_t count);
    void BuildPanel();

    dsp::PitchShifter unit_;
    // Audio thread, apart from Init (run with the pass kept out).
    int32_t ownBlock_ = 0;  // 0: none set, the stream's blocks are taken as they come
    // What the gathering adds, for the main thread's latency figure.
    std::atomic<int32_t> gatherLatency_{0};
    int32_t position_ = 0;       // frames of the block being gathered
    bool playingValid_ = false;  // playing_ holds a processed block
    std::vector<int16_t> gathering_;
    std::vector<int16_t> playing_;
};

}  // namespace ampliro
