#include "effects/pedals/pitch_shifter_pedal.h"

#include <algorithm>

namespace ampliro {
namespace {

// The preset record: level, mix, enabled, level again (when present it is
// the one that counts), semitones. The pitch knob runs 0..24 for -12..+12.
constexpr PedalParam<PitchShifterPedal> kParams[] = {
    LevelParam<PitchShifterPedal>(),
    MixParam<PitchShifterPedal>(PitchShifterPedal::kMixKnob, 186, 113, kBlackSilverCapKnob),
    EnabledParam<PitchShifterPedal>(),
    LevelParam<PitchShifterPedal>(),
    {.get = [](const PitchShifterPedal& p) -> int32_t { return p.semitones; },
     .set = [](PitchShifterPedal& p, int32_t v) { p.SetSemitones(v); },
     .defaultValue = 3},
    {.get = [](const PitchShifterPedal& p) -> int32_t { return p.semitones + 12; },
     .set = [](PitchShifterPedal& p, int32_t v) { p.SetSemitones(v - 12); },
     .defaultValue = 15,
     .knobId = PitchShifterPedal::kPitchKnob,
     .maximum = 24,
     .cx = 111,
     .cy = 113,
     .strip = kBlackSilverCapKnob,
     .stored = false},
};

}  // namespace

std::span<const PedalParam<PitchShifterPedal>> PitchShifterPedal::Params() {
    return kParams;
}

PitchShifterPedal::PitchShifterPedal() : gathering_(kMaxBlock), playing_(kMaxBlock) {
    name = "Pitch Shifter";
    imageIndex = kPitchShifterPicture;
    RestoreDefaults();
}

int PitchShifterPedal::Init(int32_t rate, int32_t key) {
    BeginPanel();
    Effect::Init(rate, key);
    unit_.Init(rate, semitones);
    position_ = 0;
    playingValid_ = false;
    BuildPanel();
    return 1;
}

// The block the latency setting gives is the one every back end but JACK
// hands over, so there the pedal adds nothing.
void PitchShifterPedal::SetOwnBlock(int32_t frames) {
    ownBlock_ = std::clamp(frames, 16, kMaxBlock);
}

void PitchShifterPedal::BuildPanel() {
    AddLevelSlider(levelSlider, 28, 50, 15, 90, Images().sliderThumb);
    AddPowerLamp();
    AddFootSwitch();
    AddPeakLamp(20, 30);
    AddKnobs(knobs);
}

void PitchShifterPedal::SetSemitones(int32_t value) {
    semitones = dsp::ClampInt(value, -12, 12);
    unit_.SetSemitones(semitones);
}

void PitchShifterPedal::ProcessBlock(int16_t* samples, int32_t count) {
    if (Bypassed(count)) {
        // Switched on again, the pedal starts afresh: no stale block plays.
        position_ = 0;
        playingValid_ = false;
        return;
    }
    unit_.SetLevel(level);
    unit_.SetMix(mix);
    if (ownBlock_ == 0 || (position_ == 0 && count == ownBlock_)) {
        gatherLatency_.store(0, std::memory_order_relaxed);
        unit_.Process(samples, static_cast<size_t>(count));
        return;
    }
    gatherLatency_.store(ownBlock_, std::memory_order_relaxed);
    ProcessGathered(samples, count);
}

int32_t PitchShifterPedal::LatencyFrames() const {
    return enabled.load(std::memory_order_relaxed) ? gatherLatency_.load(std::memory_order_relaxed)
                                                   : 0;
}

// Frame i of the output is frame i - ownBlock_ of the processed signal: the
// frame that leaves is taken from the block processed last before the frame
// that arrives takes its place in the block being gathered. Until the first
// block is processed the output is silent.
void PitchShifterPedal::ProcessGathered(int16_t* samples, int32_t count) {
    if (!playingValid_ && position_ == 0) {
        std::fill(playing_.begin(), playing_.begin() + ownBlock_, int16_t{0});
        playingValid_ = true;
    }
    for (int32_t i = 0; i < count; ++i) {
        gathering_[static_cast<size_t>(position_)] = samples[i];
        samples[i] = playing_[static_cast<size_t>(position_)];
        if (++position_ == ownBlock_) {
            std::copy_n(gathering_.begin(), ownBlock_, playing_.begin());
            unit_.Process(playing_.data(), static_cast<size_t>(ownBlock_));
            position_ = 0;
        }
    }
}

}  // namespace ampliro
