#include "effects/distortion_line.h"

namespace ampliro {
namespace {

// The top row's knobs are as wide as their strip; the bottom row's take the
// narrower strip 129's width.
constexpr PedalParam<DistortionLine> kParams[] = {
    {.get = [](const DistortionLine& d) -> int32_t { return d.level; },
     .set = [](DistortionLine& d, int32_t v) { d.level = ClampInt(v, 0, 64); },
     .defaultValue = 64},
    {.get = [](const DistortionLine& d) -> int32_t { return d.mix; },
     .set = [](DistortionLine& d, int32_t v) { d.mix = ClampInt(v, 0, 64); },
     .defaultValue = 32},
    {.get = [](const DistortionLine& d) -> int32_t { return d.enabled; },
     .set = [](DistortionLine& d, int32_t v) { d.enabled = v != 0; }},
    {.get = [](const DistortionLine& d) { return d.bass; },
     .set = [](DistortionLine& d, int32_t v) { d.SetTone(v, d.middle, d.treble); },
     .defaultValue = 32,
     .knobId = DistortionLine::kBassKnob,
     .cx = 50,
     .cy = 113,
     .sideStrip = kStrip129},
    {.get = [](const DistortionLine& d) { return d.middle; },
     .set = [](DistortionLine& d, int32_t v) { d.SetTone(d.bass, v, d.treble); },
     .defaultValue = 32,
     .knobId = DistortionLine::kMiddleKnob,
     .cx = 120,
     .cy = 113,
     .sideStrip = kStrip129},
    {.get = [](const DistortionLine& d) { return d.treble; },
     .set = [](DistortionLine& d, int32_t v) { d.SetTone(d.bass, d.middle, v); },
     .defaultValue = 32,
     .knobId = DistortionLine::kTrebleKnob,
     .cx = 188,
     .cy = 113,
     .sideStrip = kStrip129},
    {.get = [](const DistortionLine& d) -> int32_t { return d.saturation; },
     .set = [](DistortionLine& d, int32_t v) { d.SetSaturation(v); },
     .defaultValue = 32,
     .knobId = DistortionLine::kSaturationKnob,
     .cx = 188,
     .cy = 41},
    {.get = [](const DistortionLine& d) -> int32_t { return d.drive; },
     .set = [](DistortionLine& d, int32_t v) { d.SetDrive(v); },
     .defaultValue = 32,
     .knobId = DistortionLine::kDriveKnob,
     .cx = 120,
     .cy = 41},
};

}  // namespace

DistortionLine::DistortionLine() {
    name = "Overdrive";
    imageIndex = 7;
    SetDefaults<DistortionLine>(*this, kParams);
}

int DistortionLine::Init(int32_t rate, int32_t key) {
    BeginPanel();
    Effect::Init(rate, key);
    unit_.Init(rate);
    SetTone(bass, middle, treble);
    BuildPanel();
    return 1;
}

void DistortionLine::BuildPanel() {
    AddPowerLamp();
    AddFootSwitch();
    AddKnobs<DistortionLine>(kParams, knobs);
}

void DistortionLine::SetDrive(int32_t value) {
    drive = ClampInt(value, 0, 64);
    unit_.SetDrive(drive);
}

void DistortionLine::SetSaturation(int32_t value) {
    saturation = ClampInt(value, 0, 64);
    unit_.SetSaturation(saturation);
    threshold = unit_.threshold();
}

void DistortionLine::SetTone(int32_t bassGain, int32_t middleGain, int32_t trebleGain) {
    bass = ClampInt(bassGain, 0, 64);
    middle = ClampInt(middleGain, 0, 64);
    treble = ClampInt(trebleGain, 0, 64);
    unit_.SetTone(bass, middle, treble);
}

void DistortionLine::ProcessBlock(int16_t* samples, int32_t count) {
    if (Bypassed(count)) return;
    unit_.Process(samples, static_cast<size_t>(count));
}

int DistortionLine::Load(std::FILE* file) {
    LoadParams<DistortionLine>(*this, kParams, file);
    return 1;
}

int DistortionLine::Save(std::FILE* file) {
    SaveParams<DistortionLine>(*this, kParams, file);
    return 1;
}

void DistortionLine::OnControl(int32_t id, int32_t value) {
    if (!SetFromKnob<DistortionLine>(*this, kParams, id, value)) Effect::OnControl(id, value);
}

}  // namespace ampliro
