#include "effects/pedals/pitch_shifter_pedal.h"

namespace ampliro {
namespace {

// The preset record: level, mix, enabled, level again (when present it is
// the one that counts), semitones. The pitch knob runs 0..24 for -12..+12.
constexpr PedalParam<PitchShifterPedal> kParams[] = {
    {.get = [](const PitchShifterPedal& p) -> int32_t { return p.level; },
     .set = [](PitchShifterPedal& p, int32_t v) { p.level = dsp::ClampInt(v, 0, 64); },
     .defaultValue = 48},
    {.get = [](const PitchShifterPedal& p) -> int32_t { return p.mix; },
     .set = [](PitchShifterPedal& p, int32_t v) { p.mix = dsp::ClampInt(v, 0, 64); },
     .defaultValue = 32,
     .knobId = PitchShifterPedal::kMixKnob,
     .cx = 186,
     .cy = 113,
     .strip = kBlackSilverCapKnob},
    {.get = [](const PitchShifterPedal& p) -> int32_t { return p.enabled; },
     .set = [](PitchShifterPedal& p, int32_t v) { p.enabled = v != 0; }},
    {.get = [](const PitchShifterPedal& p) -> int32_t { return p.level; },
     .set = [](PitchShifterPedal& p, int32_t v) { p.level = dsp::ClampInt(v, 0, 64); },
     .defaultValue = 48},
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

PitchShifterPedal::PitchShifterPedal() {
    name = "Pitch Shifter";
    imageIndex = kPitchShifterPicture;
    SetDefaults<PitchShifterPedal>(*this, kParams);
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
    AddKnobs<PitchShifterPedal>(kParams, knobs);
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

int PitchShifterPedal::Load(std::FILE* file) {
    LoadParams<PitchShifterPedal>(*this, kParams, file);
    return 1;
}

int PitchShifterPedal::Save(std::FILE* file) {
    SaveParams<PitchShifterPedal>(*this, kParams, file);
    return 1;
}

void PitchShifterPedal::OnControl(int32_t id, int32_t value) {
    if (id == kLevelSliderId) {
        SetLevelFromSlider(value);
    } else if (!SetFromKnob<PitchShifterPedal>(*this, kParams, id, value)) {
        Effect::OnControl(id, value);
    }
}

}  // namespace ampliro
