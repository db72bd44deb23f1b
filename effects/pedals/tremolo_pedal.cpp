#include "effects/pedals/tremolo_pedal.h"

namespace ampliro {
namespace {

// The preset record: level, enabled, depth, speed.
constexpr PedalParam<TremoloPedal> kParams[] = {
    LevelParam<TremoloPedal>(),
    EnabledParam<TremoloPedal>(),
    {.get = [](const TremoloPedal& t) -> int32_t { return t.mix; },
     .set = [](TremoloPedal& t, int32_t v) { t.SetTremolo(t.tremoloRate, v); },
     .defaultValue = 32,
     .knobId = TremoloPedal::kDepthKnob,
     .cx = 186,
     .cy = 113},
    KnobParam<&TremoloPedal::tremoloRate>(
        {TremoloPedal::kSpeedKnob, 111, 113}, 32,
        [](TremoloPedal& t, int32_t v) { t.SetTremolo(v, t.mix); }, 1),
};

}  // namespace

std::span<const PedalParam<TremoloPedal>> TremoloPedal::Params() {
    return kParams;
}

TremoloPedal::TremoloPedal() {
    name = "Tremolo";
    imageIndex = kTremoloPicture;
    RestoreDefaults();
}

int TremoloPedal::Init(int32_t rate, int32_t key) {
    BeginPanel();
    Effect::Init(rate, key);
    unit_.Init(rate);
    SetTremolo(tremoloRate, mix);
    BuildPanel();
    return 1;
}

void TremoloPedal::BuildPanel() {
    AddLevelSlider(levelSlider, 28, 50, 15, 90, Images().sliderThumb);
    AddKnobs(knobs);
    AddPowerLamp();
    AddPeakLamp(20, 30);
    AddFootSwitch();
}

void TremoloPedal::SetTremolo(int32_t rateKnob, int32_t depth) {
    tremoloRate = dsp::ClampInt(rateKnob, 1, 64);
    mix = dsp::ClampInt(depth, 0, 64);
    unit_.SetSpeed(tremoloRate);
}

void TremoloPedal::ProcessBlock(int16_t* samples, int32_t count) {
    if (Bypassed(count)) return;
    unit_.SetLevel(level);
    unit_.SetDepth(mix);
    HoldPeak(unit_.Process(samples, static_cast<size_t>(count)));
}

}  // namespace ampliro
