#include "effects/pedals/chorus_pedal.h"

namespace ampliro {
namespace {

// The preset record: level, mix, enabled, depth, speed (an IEEE single),
// feedback.
constexpr PedalParam<ChorusPedal> kParams[] = {
    LevelParam<ChorusPedal>(),
    MixParam<ChorusPedal>(ChorusPedal::kMixKnob, 186, 113, kBlackSilverCapKnob),
    EnabledParam<ChorusPedal>(),
    {.get = [](const ChorusPedal& c) -> int32_t { return c.depth; },
     .set = [](ChorusPedal& c, int32_t v) { c.SetChorus(c.speed, v, c.feedback); },
     .defaultValue = 32,
     .knobId = ChorusPedal::kDepthKnob,
     .cx = 186,
     .cy = 41,
     .strip = kBlackSilverCapKnob},
    {.getReal = [](const ChorusPedal& c) { return c.speed; },
     .setReal = [](ChorusPedal& c, float v) { c.SetChorus(v, c.depth, c.feedback); },
     .defaultValue = 16,
     .knobId = ChorusPedal::kSpeedKnob,
     .minimum = 1,
     .cx = 111,
     .cy = 41,
     .strip = kBlackSilverCapKnob},
    {.get = [](const ChorusPedal& c) -> int32_t { return c.feedback; },
     .set = [](ChorusPedal& c, int32_t v) { c.SetChorus(c.speed, c.depth, v); },
     .defaultValue = 32,
     .knobId = ChorusPedal::kFeedbackKnob,
     .cx = 111,
     .cy = 113,
     .strip = kBlackSilverCapKnob},
};

}  // namespace

std::span<const PedalParam<ChorusPedal>> ChorusPedal::Params() {
    return kParams;
}

ChorusPedal::ChorusPedal() {
    name = "Chorus";
    imageIndex = kChorusPicture;
    SetDefaults();
}

int ChorusPedal::Init(int32_t rate, int32_t key) {
    BeginPanel();
    Effect::Init(rate, key);
    if (!unit_.Init(rate)) return 0;
    SetChorus(speed, depth, feedback);
    BuildPanel();
    return 1;
}

void ChorusPedal::BuildPanel() {
    AddLevelSlider(levelSlider, 28, 50, 15, 90, Images().sliderThumb);
    AddPowerLamp();
    AddPeakLamp(20, 30);
    AddFootSwitch();
    AddKnobs(knobs);
}

void ChorusPedal::SetChorus(float speedValue, int32_t depthValue, int32_t feedbackValue) {
    speed = dsp::ClampFloat(speedValue, 1.0f, 64.0f);
    // Depth 64 reaches 2 x 64 + 6 samples back; more would leave the line.
    depth = dsp::ClampInt(depthValue, 0, 64);
    feedback = dsp::ClampInt(feedbackValue, 0, 64);
    unit_.SetSpeed(speed);
    unit_.SetDepth(depth);
    unit_.SetFeedback(feedback);
}

void ChorusPedal::ProcessBlock(int16_t* samples, int32_t count) {
    unit_.ApplyPendingClear();
    if (Bypassed(count)) return;
    unit_.SetLevel(level);
    unit_.SetMix(mix);
    HoldPeak(unit_.Process(samples, static_cast<size_t>(count)));
}

}  // namespace ampliro
