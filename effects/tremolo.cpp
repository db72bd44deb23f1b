#include "effects/tremolo.h"

namespace ampliro {
namespace {

// The preset record: level, enabled, depth, speed.
constexpr PedalParam<Tremolo> kParams[] = {
    {.get = [](const Tremolo& t) -> int32_t { return t.level; },
     .set = [](Tremolo& t, int32_t v) { t.level = ClampInt(v, 0, 64); },
     .defaultValue = 48},
    {.get = [](const Tremolo& t) -> int32_t { return t.enabled; },
     .set = [](Tremolo& t, int32_t v) { t.enabled = v != 0; }},
    {.get = [](const Tremolo& t) -> int32_t { return t.mix; },
     .set = [](Tremolo& t, int32_t v) { t.SetTremolo(t.tremoloRate, v); },
     .defaultValue = 32,
     .knobId = Tremolo::kDepthKnob,
     .cx = 186,
     .cy = 113},
    {.get = [](const Tremolo& t) { return t.tremoloRate; },
     .set = [](Tremolo& t, int32_t v) { t.SetTremolo(v, t.mix); },
     .defaultValue = 32,
     .knobId = Tremolo::kSpeedKnob,
     .minimum = 1,
     .cx = 111,
     .cy = 113},
};

}  // namespace

Tremolo::Tremolo() {
    name = "Tremolo";
    imageIndex = 8;
    SetDefaults<Tremolo>(*this, kParams);
}

int Tremolo::Init(int32_t rate, int32_t key) {
    BeginPanel();
    Effect::Init(rate, key);
    unit_.Init(rate);
    SetTremolo(tremoloRate, mix);
    BuildPanel();
    return 1;
}

void Tremolo::BuildPanel() {
    AddLevelSlider(levelSlider, 28, 50, 15, 90, Images().sliderThumb);
    AddKnobs<Tremolo>(kParams, knobs);
    AddPowerLamp();
    AddPeakLamp(20, 30);
    AddFootSwitch();
}

void Tremolo::SetTremolo(int32_t rateKnob, int32_t depth) {
    tremoloRate = ClampInt(rateKnob, 1, 64);
    mix = ClampInt(depth, 0, 64);
    unit_.SetSpeed(tremoloRate);
}

void Tremolo::ProcessBlock(int16_t* samples, int32_t count) {
    if (Bypassed(count)) return;
    unit_.SetLevel(level);
    unit_.SetDepth(mix);
    HoldPeak(unit_.Process(samples, static_cast<size_t>(count)));
}

int Tremolo::Load(std::FILE* file) {
    LoadParams<Tremolo>(*this, kParams, file);
    return 1;
}

int Tremolo::Save(std::FILE* file) {
    SaveParams<Tremolo>(*this, kParams, file);
    return 1;
}

void Tremolo::OnControl(int32_t id, int32_t value) {
    if (id == kLevelSliderId) {
        SetLevelFromSlider(value);
    } else if (!SetFromKnob<Tremolo>(*this, kParams, id, value)) {
        Effect::OnControl(id, value);
    }
}

}  // namespace ampliro
