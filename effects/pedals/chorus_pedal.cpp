#include "effects/pedals/chorus_pedal.h"

namespace ampliro {
namespace {

// The preset record: level, mix, enabled, depth, speed (an IEEE single),
// feedback.
constexpr PedalParam<ChorusPedal> kParams[] = {
    LevelParam<ChorusPedal>(),
    MixParam<ChorusPedal>(ChorusPedal::kMixKnob, 186, 113, kBlackSilverCapKnob),
    EnabledParam<ChorusPedal>(),
    KnobParam<&ChorusPedal::depth>(
        {ChorusPedal::kDepthKnob, 186, 41, kBlackSilverCapKnob}, 32,
        [](ChorusPedal& c, int32_t v) { c.SetChorus(c.speed, v, c.feedback); }),
    RealKnobParam<&ChorusPedal::speed>(
        {ChorusPedal::kSpeedKnob, 111, 41, kBlackSilverCapKnob}, 16,
        [](ChorusPedal& c, float v) { c.SetChorus(v, c.depth, c.feedback); }, 1),
    KnobParam<&ChorusPedal::feedback>(
        {ChorusPedal::kFeedbackKnob, 111, 113, kBlackSilverCapKnob}, 32,
        [](ChorusPedal& c, int32_t v) { c.SetChorus(c.speed, c.depth, v); }),
};

}  // namespace

std::span<const PedalParam<ChorusPedal>> ChorusPedal::Params() {
    return kParams;
}

ChorusPedal::ChorusPedal() {
    name = "Chorus";
    imageIndex = kChorusPicture;
    RestoreDefaults();
}

int ChorusPedal::Init(int32_t rate, int32_t key) {
    BeginPanel();
    Effect::Init(rate, key);
    if (!unit_.Init(rate)) return 0;
    SetChorus(speed, depth, feedback);
    BuildStandardPanel(levelSlider, knobs);
    return 1;
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
