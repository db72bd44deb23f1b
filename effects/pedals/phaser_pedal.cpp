#include "effects/pedals/phaser_pedal.h"

namespace ampliro {
namespace {

// The preset record: level, mix, enabled, speed, feedback, depth.
constexpr PedalParam<PhaserPedal> kParams[] = {
    LevelParam<PhaserPedal>(),
    MixParam<PhaserPedal>(PhaserPedal::kMixKnob, 186, 113, kCreamDomeKnob),
    EnabledParam<PhaserPedal>(),
    KnobParam<&PhaserPedal::rateKnob>({PhaserPedal::kSpeedKnob, 111, 41, kCreamDomeKnob}, 32,
                                      CallSetter<&PhaserPedal::SetRate>, 1),
    KnobParam<&PhaserPedal::feedback>(
        {PhaserPedal::kFeedbackKnob, 111, 113, kCreamDomeKnob}, 32,
        [](PhaserPedal& p, int32_t v) { p.feedback = dsp::ClampInt(v, 0, 64); }),
    KnobParam<&PhaserPedal::depth>(
        {PhaserPedal::kDepthKnob, 186, 41, kCreamDomeKnob}, 32,
        [](PhaserPedal& p, int32_t v) { p.depth = dsp::ClampInt(v, 0, 64); }),
};

}  // namespace

std::span<const PedalParam<PhaserPedal>> PhaserPedal::Params() {
    return kParams;
}

PhaserPedal::PhaserPedal() {
    name = "Phase Shifter";
    imageIndex = kPhaserPicture;
    RestoreDefaults();
}

int PhaserPedal::Init(int32_t rate, int32_t key) {
    BeginPanel();
    Effect::Init(rate, key);
    unit_.Init(rate);
    SetRate(rateKnob);
    BuildStandardPanel(levelSlider, knobs);
    return 1;
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
