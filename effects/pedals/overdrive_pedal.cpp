#include "effects/pedals/overdrive_pedal.h"

namespace ampliro {
namespace {

// The top row's knobs are as wide as their strip; the bottom row's take the
// narrower strip 129's width.
constexpr PedalParam<OverdrivePedal> kParams[] = {
    LevelParam<OverdrivePedal>(64),
    MixParam<OverdrivePedal>(kNoKnob, 0, 0, kGoldCapKnob),
    EnabledParam<OverdrivePedal>(),
    KnobParam<&OverdrivePedal::bass>(
        {OverdrivePedal::kBassKnob, 50, 113, kGoldCapKnob, kCreamDomeKnob}, 32,
        [](OverdrivePedal& d, int32_t v) { d.SetTone(v, d.middle, d.treble); }),
    KnobParam<&OverdrivePedal::middle>(
        {OverdrivePedal::kMiddleKnob, 120, 113, kGoldCapKnob, kCreamDomeKnob}, 32,
        [](OverdrivePedal& d, int32_t v) { d.SetTone(d.bass, v, d.treble); }),
    KnobParam<&OverdrivePedal::treble>(
        {OverdrivePedal::kTrebleKnob, 188, 113, kGoldCapKnob, kCreamDomeKnob}, 32,
        [](OverdrivePedal& d, int32_t v) { d.SetTone(d.bass, d.middle, v); }),
    KnobParam<&OverdrivePedal::saturation>({OverdrivePedal::kSaturationKnob, 188, 41}, 32,
                                           CallSetter<&OverdrivePedal::SetSaturation>),
    KnobParam<&OverdrivePedal::drive>({OverdrivePedal::kDriveKnob, 120, 41}, 32,
                                      CallSetter<&OverdrivePedal::SetDrive>),
};

}  // namespace

std::span<const PedalParam<OverdrivePedal>> OverdrivePedal::Params() {
    return kParams;
}

OverdrivePedal::OverdrivePedal() {
    name = "Overdrive";
    imageIndex = kOverdrivePicture;
    RestoreDefaults();
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
