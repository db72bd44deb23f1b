#include "effects/pedals/overdrive_pedal.h"

namespace ampliro {
namespace {

// The top row's knobs are as wide as their strip; the bottom row's take the
// narrower strip 129's width.
constexpr PedalParam<OverdrivePedal> kParams[] = {
    LevelParam<OverdrivePedal>(64),
    MixParam<OverdrivePedal>(kNoKnob, 0, 0, kGoldCapKnob),
    EnabledParam<OverdrivePedal>(),
    {.get = [](const OverdrivePedal& d) { return d.bass; },
     .set = [](OverdrivePedal& d, int32_t v) { d.SetTone(v, d.middle, d.treble); },
     .defaultValue = 32,
     .knobId = OverdrivePedal::kBassKnob,
     .cx = 50,
     .cy = 113,
     .sideStrip = kCreamDomeKnob},
    {.get = [](const OverdrivePedal& d) { return d.middle; },
     .set = [](OverdrivePedal& d, int32_t v) { d.SetTone(d.bass, v, d.treble); },
     .defaultValue = 32,
     .knobId = OverdrivePedal::kMiddleKnob,
     .cx = 120,
     .cy = 113,
     .sideStrip = kCreamDomeKnob},
    {.get = [](const OverdrivePedal& d) { return d.treble; },
     .set = [](OverdrivePedal& d, int32_t v) { d.SetTone(d.bass, d.middle, v); },
     .defaultValue = 32,
     .knobId = OverdrivePedal::kTrebleKnob,
     .cx = 188,
     .cy = 113,
     .sideStrip = kCreamDomeKnob},
    {.get = [](const OverdrivePedal& d) -> int32_t { return d.saturation; },
     .set = [](OverdrivePedal& d, int32_t v) { d.SetSaturation(v); },
     .defaultValue = 32,
     .knobId = OverdrivePedal::kSaturationKnob,
     .cx = 188,
     .cy = 41},
    {.get = [](const OverdrivePedal& d) -> int32_t { return d.drive; },
     .set = [](OverdrivePedal& d, int32_t v) { d.SetDrive(v); },
     .defaultValue = 32,
     .knobId = OverdrivePedal::kDriveKnob,
     .cx = 120,
     .cy = 41},
};

}  // namespace

std::span<const PedalParam<OverdrivePedal>> OverdrivePedal::Params() {
    return kParams;
}

OverdrivePedal::OverdrivePedal() {
    name = "Overdrive";
    imageIndex = kOverdrivePicture;
    SetDefaults();
}

int OverdrivePedal::Init(int32_t rate, int32_t key) {
    BeginPanel();
    Effect::Init(rate, key);
    unit_.Init(rate);
    SetTone(bass, middle, treble);
    BuildPanel();
    return 1;
}

void OverdrivePedal::BuildPanel() {
    AddPowerLamp();
    AddFootSwitch();
    AddKnobs(knobs);
}

void OverdrivePedal::SetDrive(int32_t value) {
    drive = dsp::ClampInt(value, 0, 64);
    unit_.SetDrive(drive);
}

void OverdrivePedal::SetSaturation(int32_t value) {
    saturation = dsp::ClampInt(value, 0, 64);
    unit_.SetSaturation(saturation);
}

void OverdrivePedal::SetTone(int32_t bassGain, int32_t middleGain, int32_t trebleGain) {
    bass = dsp::ClampInt(bassGain, 0, 64);
    middle = dsp::ClampInt(middleGain, 0, 64);
    treble = dsp::ClampInt(trebleGain, 0, 64);
    unit_.SetTone(bass, middle, treble);
}

void OverdrivePedal::ProcessBlock(int16_t* samples, int32_t count) {
    if (Bypassed(count)) return;
    unit_.Process(samples, static_cast<size_t>(count));
}

}  // namespace ampliro
