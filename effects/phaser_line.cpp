#include "effects/phaser_line.h"

namespace ampliro {
namespace {

// The preset record: level, mix, enabled, speed, feedback, depth.
constexpr PedalParam<PhaserLine> kParams[] = {
    {.get = [](const PhaserLine& p) -> int32_t { return p.level; },
     .set = [](PhaserLine& p, int32_t v) { p.level = ClampInt(v, 0, 64); },
     .defaultValue = 48},
    {.get = [](const PhaserLine& p) -> int32_t { return p.mix; },
     .set = [](PhaserLine& p, int32_t v) { p.mix = ClampInt(v, 0, 64); },
     .defaultValue = 32,
     .knobId = PhaserLine::kMixKnob,
     .cx = 186,
     .cy = 113,
     .strip = kStrip129},
    {.get = [](const PhaserLine& p) -> int32_t { return p.enabled; },
     .set = [](PhaserLine& p, int32_t v) { p.enabled = v != 0; }},
    {.get = [](const PhaserLine& p) { return p.rateKnob; },
     .set = [](PhaserLine& p, int32_t v) { p.SetRate(v); },
     .defaultValue = 32,
     .knobId = PhaserLine::kSpeedKnob,
     .minimum = 1,
     .cx = 111,
     .cy = 41,
     .strip = kStrip129},
    {.get = [](const PhaserLine& p) -> int32_t { return p.feedback; },
     .set = [](PhaserLine& p, int32_t v) { p.feedback = ClampInt(v, 0, 64); },
     .defaultValue = 32,
     .knobId = PhaserLine::kFeedbackKnob,
     .cx = 111,
     .cy = 113,
     .strip = kStrip129},
    {.get = [](const PhaserLine& p) -> int32_t { return p.depth; },
     .set = [](PhaserLine& p, int32_t v) { p.depth = ClampInt(v, 0, 64); },
     .defaultValue = 32,
     .knobId = PhaserLine::kDepthKnob,
     .cx = 186,
     .cy = 41,
     .strip = kStrip129},
};

}  // namespace

PhaserLine::PhaserLine() {
    name = "Phase Shifter";
    imageIndex = 0;
    SetDefaults<PhaserLine>(*this, kParams);
}

int PhaserLine::Init(int32_t rate, int32_t key) {
    BeginPanel();
    Effect::Init(rate, key);
    unit_.Init(rate);
    SetRate(rateKnob);
    BuildPanel();
    return 1;
}

void PhaserLine::BuildPanel() {
    AddLevelSlider(levelSlider, 28, 50, 15, 90, Images().sliderThumb);
    AddPowerLamp();
    AddPeakLamp(20, 30);
    AddFootSwitch();
    AddKnobs<PhaserLine>(kParams, knobs);
}

void PhaserLine::SetRate(int32_t k) {
    rateKnob = ClampInt(k, 1, 64);
    unit_.SetSpeed(rateKnob);
}

void PhaserLine::SyncUnit() {
    unit_.SetDepth(depth);
    unit_.SetFeedback(feedback);
    unit_.SetLevel(level);
    unit_.SetMix(mix);
}

// The input and the output each pass ClipSample, as two clip steps.
int PhaserLine::ProcessSample(int x) {
    SyncUnit();
    return ClipSample(unit_.Step(ClipSample(x)));
}

void PhaserLine::ProcessBlock(int16_t* samples, int32_t count) {
    if (Bypassed(count)) return;
    SyncUnit();
    HoldPeak(unit_.Process(samples, static_cast<size_t>(count)));
}

int PhaserLine::Load(std::FILE* file) {
    LoadParams<PhaserLine>(*this, kParams, file);
    return 1;
}

int PhaserLine::Save(std::FILE* file) {
    SaveParams<PhaserLine>(*this, kParams, file);
    return 1;
}

void PhaserLine::OnControl(int32_t id, int32_t value) {
    if (id == kLevelSliderId) {
        SetLevelFromSlider(value);
    } else if (!SetFromKnob<PhaserLine>(*this, kParams, id, value)) {
        Effect::OnControl(id, value);
    }
}

}  // namespace ampliro
