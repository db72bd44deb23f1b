#include "effects/pedals/phaser_pedal.h"

namespace ampliro {
namespace {

// The preset record: level, mix, enabled, speed, feedback, depth.
constexpr PedalParam<PhaserPedal> kParams[] = {
    {.get = [](const PhaserPedal& p) -> int32_t { return p.level; },
     .set = [](PhaserPedal& p, int32_t v) { p.level = dsp::ClampInt(v, 0, 64); },
     .defaultValue = 48},
    {.get = [](const PhaserPedal& p) -> int32_t { return p.mix; },
     .set = [](PhaserPedal& p, int32_t v) { p.mix = dsp::ClampInt(v, 0, 64); },
     .defaultValue = 32,
     .knobId = PhaserPedal::kMixKnob,
     .cx = 186,
     .cy = 113,
     .strip = kCreamDomeKnob},
    {.get = [](const PhaserPedal& p) -> int32_t { return p.enabled; },
     .set = [](PhaserPedal& p, int32_t v) { p.enabled = v != 0; }},
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

PhaserPedal::PhaserPedal() {
    name = "Phase Shifter";
    imageIndex = kPhaserPicture;
    SetDefaults<PhaserPedal>(*this, kParams);
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
    AddKnobs<PhaserPedal>(kParams, knobs);
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

// The input and the output each pass ClipSample, as two clip steps.
int PhaserPedal::ProcessSample(int x) {
    SyncUnit();
    return ClipSample(unit_.Step(ClipSample(x)));
}

void PhaserPedal::ProcessBlock(int16_t* samples, int32_t count) {
    if (Bypassed(count)) return;
    SyncUnit();
    HoldPeak(unit_.Process(samples, static_cast<size_t>(count)));
}

int PhaserPedal::Load(std::FILE* file) {
    LoadParams<PhaserPedal>(*this, kParams, file);
    return 1;
}

int PhaserPedal::Save(std::FILE* file) {
    SaveParams<PhaserPedal>(*this, kParams, file);
    return 1;
}

void PhaserPedal::OnControl(int32_t id, int32_t value) {
    if (id == kLevelSliderId) {
        SetLevelFromSlider(value);
    } else if (!SetFromKnob<PhaserPedal>(*this, kParams, id, value)) {
        Effect::OnControl(id, value);
    }
}

}  // namespace ampliro
