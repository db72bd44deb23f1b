#include "effects/pitch_shifter_line.h"

namespace ampliro {
namespace {

// The preset record: level, mix, enabled, level again (when present it is
// the one that counts), semitones. The pitch knob runs 0..24 for -12..+12.
constexpr PedalParam<PitchShifterLine> kParams[] = {
    {.get = [](const PitchShifterLine& p) -> int32_t { return p.level; },
     .set = [](PitchShifterLine& p, int32_t v) { p.level = ClampInt(v, 0, 64); },
     .defaultValue = 48},
    {.get = [](const PitchShifterLine& p) -> int32_t { return p.mix; },
     .set = [](PitchShifterLine& p, int32_t v) { p.mix = ClampInt(v, 0, 64); },
     .defaultValue = 32,
     .knobId = PitchShifterLine::kMixKnob,
     .cx = 186,
     .cy = 113,
     .strip = kStrip125},
    {.get = [](const PitchShifterLine& p) -> int32_t { return p.enabled; },
     .set = [](PitchShifterLine& p, int32_t v) { p.enabled = v != 0; }},
    {.get = [](const PitchShifterLine& p) -> int32_t { return p.level; },
     .set = [](PitchShifterLine& p, int32_t v) { p.level = ClampInt(v, 0, 64); },
     .defaultValue = 48},
    {.get = [](const PitchShifterLine& p) -> int32_t { return p.semitones; },
     .set = [](PitchShifterLine& p, int32_t v) { p.SetSemitones(v); },
     .defaultValue = 3},
    {.get = [](const PitchShifterLine& p) -> int32_t { return p.semitones + 12; },
     .set = [](PitchShifterLine& p, int32_t v) { p.SetSemitones(v - 12); },
     .defaultValue = 15,
     .knobId = PitchShifterLine::kPitchKnob,
     .maximum = 24,
     .cx = 111,
     .cy = 113,
     .strip = kStrip125,
     .stored = false},
};

}  // namespace

PitchShifterLine::PitchShifterLine() {
    name = "Pitch Shifter";
    imageIndex = 3;
    SetDefaults<PitchShifterLine>(*this, kParams);
}

int PitchShifterLine::Init(int32_t rate, int32_t key) {
    BeginPanel();
    Effect::Init(rate, key);
    unit_.Init(rate, semitones);
    BuildPanel();
    return 1;
}

void PitchShifterLine::BuildPanel() {
    AddLevelSlider(levelSlider, 28, 50, 15, 90, Images().sliderThumb);
    AddPowerLamp();
    AddFootSwitch();
    AddPeakLamp(20, 30);
    AddKnobs<PitchShifterLine>(kParams, knobs);
}

void PitchShifterLine::SetSemitones(int32_t value) {
    semitones = ClampInt(value, -12, 12);
    unit_.SetSemitones(semitones);
}

void PitchShifterLine::ProcessBlock(int16_t* samples, int32_t count) {
    if (Bypassed(count)) return;
    unit_.SetLevel(level);
    unit_.SetMix(mix);
    unit_.Process(samples, static_cast<size_t>(count));
}

int PitchShifterLine::Load(std::FILE* file) {
    LoadParams<PitchShifterLine>(*this, kParams, file);
    return 1;
}

int PitchShifterLine::Save(std::FILE* file) {
    SaveParams<PitchShifterLine>(*this, kParams, file);
    return 1;
}

void PitchShifterLine::OnControl(int32_t id, int32_t value) {
    if (id == kLevelSliderId) {
        SetLevelFromSlider(value);
    } else if (!SetFromKnob<PitchShifterLine>(*this, kParams, id, value)) {
        Effect::OnControl(id, value);
    }
}

}  // namespace ampliro
