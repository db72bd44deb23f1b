#include "effects/pedals/phaser_pedal.h"

namespace ampliro {
namespace {

// The preset record: level, mix, enabled, speed, feedback, depth.
constexpr PedalParam<PhaserPedal> kParams[] = {
    LevelParam<PhaserPedal>(),
    MixParam<PhaserPedal>(PhaserPedal::kMixKnob, 186, 113, kCreamDomeKnob),
    EnabledParam<PhaserPedal>(),
    {.get = [](const PhaserPedal& p) { return p.rateKnob; },
     .set = [](PhaserPedal& p, int32_t v) { p.SetRate(v); },
     .defaultValue = 32,
     .knobId = PhaserPedal::kSpeedKnob,
     .minimum = 1,
     .cx = 111,
     .cy = 41,
     .strip = kCreamDomeKnob},
    {.get = [](const PhaserPedal& p) -> int32_t { return p.feedback; },
     .set = [](PhaserPedal& p, int32_t v) { p.feedback = dsp::ClampInt(v, 0, 64); },
     .defaultValue = 32,
     .knobId = PhaserPedal::kFeedbackKnob,
     .cx = 111,
     .cy = 113,
     .strip = kCreamDomeKnob},
    {.get = [](const PhaserPedal& p) -> int32_t { return p.depth; },
     .set = [](PhaserPedal& p, int32_t v) { p.depth = dsp::ClampInt(v, 0, 64); },
     .defaultValue = 32,
     .knobId = PhaserPedal::kDepthKnob,
     .cx = 186,
     .cy = 41,
     .strip = kCreamDomeKnob},
};

}  // namespace

std::span<const PedalParam<PhaserPedal>> PhaserPedal::Params() {
    return kParams;
}

PhaserPedal::PhaserPedal() {
    name = "Phase Shifter";
    imageIndex = kPhaserPicture;
    SetDefaults();
}

int PhaserPedal::Init(int32_t rate, int32_t key) {
    BeginPanel();
    Effect::Init(rate, key);
    unit_.Init(rate);
    SetRate(rateKnob);
    BuildPanel();
    return 1;
}

void PhaserPedal::BuildPanel() {
    AddLevelSlider(levelSlider, 28, 50, 15, 90, Images().sliderThumb);
    AddPowerLamp();
    AddPeakLamp(20, 30);
    AddFootSwitch();
    AddKnobs(knobs);
}

void PhaserPedal::SetRate(int32_t k) {
    rateKnob = dsp::ClampInt(k, 1, 64);
    unit_.SetSpeed(rateKnob);
}

void PhaserPedal::SyncUnit() {
    unit_.SetDepth(depth);
    unit_.SetFeedback(feedback);
    unit_.SetLevel(level);
    unit_.SetMix(mix);
}

void PhaserPedal::ProcessBlock(int16_t* samples, int32_t count) {
    if (Bypassed(count)) return;
    SyncUnit();
    HoldPeak(unit_.Process(samples, static_cast<size_t>(count)));
}

}  // namespace ampliro
