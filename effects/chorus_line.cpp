#include "effects/chorus_line.h"

namespace ampliro {
namespace {

// The preset record: level, mix, enabled, depth, speed (an IEEE single),
// feedback.
constexpr PedalParam<ChorusLine> kParams[] = {
    {.get = [](const ChorusLine& c) -> int32_t { return c.level; },
     .set = [](ChorusLine& c, int32_t v) { c.level = ClampInt(v, 0, 64); },
     .defaultValue = 48},
    {.get = [](const ChorusLine& c) -> int32_t { return c.mix; },
     .set = [](ChorusLine& c, int32_t v) { c.mix = ClampInt(v, 0, 64); },
     .defaultValue = 32,
     .knobId = ChorusLine::kMixKnob,
     .cx = 186,
     .cy = 113,
     .strip = kStrip125},
    {.get = [](const ChorusLine& c) -> int32_t { return c.enabled; },
     .set = [](ChorusLine& c, int32_t v) { c.enabled = v != 0; }},
    {.get = [](const ChorusLine& c) -> int32_t { return c.depth; },
     .set = [](ChorusLine& c, int32_t v) { c.SetChorus(c.speed, v, c.feedback); },
     .defaultValue = 32,
     .knobId = ChorusLine::kDepthKnob,
     .cx = 186,
     .cy = 41,
     .strip = kStrip125},
    {.getReal = [](const ChorusLine& c) { return c.speed; },
     .setReal = [](ChorusLine& c, float v) { c.SetChorus(v, c.depth, c.feedback); },
     .defaultValue = 16,
     .knobId = ChorusLine::kSpeedKnob,
     .minimum = 1,
     .cx = 111,
     .cy = 41,
     .strip = kStrip125},
    {.get = [](const ChorusLine& c) -> int32_t { return c.feedback; },
     .set = [](ChorusLine& c, int32_t v) { c.SetChorus(c.speed, c.depth, v); },
     .defaultValue = 32,
     .knobId = ChorusLine::kFeedbackKnob,
     .cx = 111,
     .cy = 113,
     .strip = kStrip125},
};

}  // namespace

ChorusLine::ChorusLine() {
    name = "Chorus";
    imageIndex = 6;
    SetDefaults<ChorusLine>(*this, kParams);
}

int ChorusLine::Init(int32_t rate, int32_t key) {
    BeginPanel();
    Effect::Init(rate, key);
    if (!unit_.Init(rate)) return 0;
    SetChorus(speed, depth, feedback);
    BuildPanel();
    return 1;
}

void ChorusLine::BuildPanel() {
    AddLevelSlider(levelSlider, 28, 50, 15, 90, Images().sliderThumb);
    AddPowerLamp();
    AddPeakLamp(20, 30);
    AddFootSwitch();
    AddKnobs<ChorusLine>(kParams, knobs);
}

void ChorusLine::SetChorus(float speedValue, int32_t depthValue, int32_t feedbackValue) {
    speed = ClampFloat(speedValue, 1.0f, 64.0f);
    // Depth 64 reaches 2 x 64 + 6 samples back; more would leave the line.
    depth = ClampInt(depthValue, 0, 64);
    feedback = ClampInt(feedbackValue, 0, 64);
    unit_.SetSpeed(speed);
    unit_.SetDepth(depth);
    unit_.SetFeedback(feedback);
}

void ChorusLine::ProcessBlock(int16_t* samples, int32_t count) {
    unit_.ApplyPendingClear();
    if (Bypassed(count)) return;
    unit_.SetLevel(level);
    unit_.SetMix(mix);
    HoldPeak(unit_.Process(samples, static_cast<size_t>(count)));
}

int ChorusLine::Load(std::FILE* file) {
    LoadParams<ChorusLine>(*this, kParams, file);
    return 1;
}

int ChorusLine::Save(std::FILE* file) {
    SaveParams<ChorusLine>(*this, kParams, file);
    return 1;
}

void ChorusLine::OnControl(int32_t id, int32_t value) {
    if (id == kLevelSliderId) {
        SetLevelFromSlider(value);
    } else if (!SetFromKnob<ChorusLine>(*this, kParams, id, value)) {
        Effect::OnControl(id, value);
    }
}

}  // namespace ampliro
