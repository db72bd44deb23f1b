#include "effects/pedals/pitch_shifter_pedal.h"

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

PitchShifterPedal::PitchShifterPedal() {
    name = "Pitch Shifter";
    imageIndex = kPitchShifterPicture;
    SetDefaults();
}

int PitchShifterPedal::Init(int32_t rate, int32_t key) {
    BeginPanel();
    Effect::Init(rate, key);
    unit_.Init(rate, semitones);
    BuildPanel();
    return 1;
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
    if (Bypassed(count)) return;
    unit_.SetLevel(level);
    unit_.SetMix(mix);
    unit_.Process(samples, static_cast<size_t>(count));
}

}  // namespace ampliro
