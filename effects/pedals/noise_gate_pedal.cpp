#include "effects/pedals/noise_gate_pedal.h"

#include <span>

namespace ampliro {
namespace {

using Gate = dsp::NoiseGate;

// The preset record: enabled, threshold, hysteresis, attack, hold, release.
// Top row threshold and hysteresis, bottom row the three times.
constexpr PedalParam<NoiseGatePedal> kParams[] = {
    {.get = [](const NoiseGatePedal& g) -> int32_t { return g.enabled; },
     .set = [](NoiseGatePedal& g, int32_t v) { g.enabled = v != 0; }},
    {.get = [](const NoiseGatePedal& g) { return g.threshold; },
     .set = [](NoiseGatePedal& g, int32_t v) { g.SetThreshold(v); },
     .defaultValue = -60,
     .knobId = NoiseGatePedal::kThresholdKnob,
     .minimum = static_cast<int32_t>(Gate::kMinThresholdDb),
     .maximum = static_cast<int32_t>(Gate::kMaxThresholdDb),
     .cx = 120,
     .cy = 41},
    {.get = [](const NoiseGatePedal& g) { return g.hysteresis; },
     .set = [](NoiseGatePedal& g, int32_t v) { g.SetHysteresis(v); },
     .defaultValue = 6,
     .knobId = NoiseGatePedal::kHysteresisKnob,
     .maximum = static_cast<int32_t>(Gate::kMaxHysteresisDb),
     .cx = 188,
     .cy = 41},
    {.get = [](const NoiseGatePedal& g) { return g.attack; },
     .set = [](NoiseGatePedal& g, int32_t v) { g.SetAttack(v); },
     .defaultValue = 5,
     .knobId = NoiseGatePedal::kAttackKnob,
     .minimum = 1,
     .maximum = 10,
     .cx = 50,
     .cy = 118},
    {.get = [](const NoiseGatePedal& g) { return g.hold; },
     .set = [](NoiseGatePedal& g, int32_t v) { g.SetHold(v); },
     .defaultValue = 50,
     .knobId = NoiseGatePedal::kHoldKnob,
     .minimum = static_cast<int32_t>(Gate::kMinHoldMs),
     .maximum = static_cast<int32_t>(Gate::kMaxHoldMs),
     .cx = 120,
     .cy = 118},
    {.get = [](const NoiseGatePedal& g) { return g.release; },
     .set = [](NoiseGatePedal& g, int32_t v) { g.SetRelease(v); },
     .defaultValue = 100,
     .knobId = NoiseGatePedal::kReleaseKnob,
     .minimum = static_cast<int32_t>(Gate::kMinReleaseMs),
     .maximum = static_cast<int32_t>(Gate::kMaxReleaseMs),
     .cx = 188,
     .cy = 118},
};

}  // namespace

NoiseGatePedal::NoiseGatePedal() {
    name = "Noise Gate";
    imageIndex = kNoiseGatePicture;
    SetDefaults<NoiseGatePedal>(*this, kParams);
}

int NoiseGatePedal::Init(int32_t rate, int32_t key) {
    BeginPanel();
    Effect::Init(rate, key);
    // Init puts the unit's knobs back to its defaults: give it ours again.
    unit_.Init(rate);
    SetThreshold(threshold);
    SetHysteresis(hysteresis);
    SetAttack(attack);
    SetHold(hold);
    SetRelease(release);
    BuildPanel();
    return 1;
}

void NoiseGatePedal::BuildPanel() {
    AddPowerLamp();
    AddFootSwitch();
    AddKnobs<NoiseGatePedal>(kParams, knobs);
    ShowReadings();
}

void NoiseGatePedal::ShowReadings() {
    ShowReading(knobs[0], readings_[0], "#FFFFFF%.0f dB", threshold);
    ShowReading(knobs[1], readings_[1], "#FFFFFF%.0f dB", hysteresis);
    ShowReading(knobs[2], readings_[2], "#FFFFFF%.1f ms", attack / 10.0);
    ShowReading(knobs[3], readings_[3], "#FFFFFF%.0f ms", hold);
    ShowReading(knobs[4], readings_[4], "#FFFFFF%.0f ms", release);
}

void NoiseGatePedal::SetThreshold(int32_t dbfs) {
    threshold = dsp::ClampInt(dbfs, kParams[1].minimum, kParams[1].maximum);
    unit_.SetThreshold(static_cast<float>(threshold));
}

void NoiseGatePedal::SetHysteresis(int32_t db) {
    hysteresis = dsp::ClampInt(db, kParams[2].minimum, kParams[2].maximum);
    unit_.SetHysteresis(static_cast<float>(hysteresis));
}

void NoiseGatePedal::SetAttack(int32_t tenthsMs) {
    attack = dsp::ClampInt(tenthsMs, kParams[3].minimum, kParams[3].maximum);
    unit_.SetAttack(static_cast<float>(attack) / 10.0f);
}

void NoiseGatePedal::SetHold(int32_t ms) {
    hold = dsp::ClampInt(ms, kParams[4].minimum, kParams[4].maximum);
    unit_.SetHold(static_cast<float>(hold));
}

void NoiseGatePedal::SetRelease(int32_t ms) {
    release = dsp::ClampInt(ms, kParams[5].minimum, kParams[5].maximum);
    unit_.SetRelease(static_cast<float>(release));
}

bool NoiseGatePedal::AtDefaults() const {
    for (const PedalParam<NoiseGatePedal>& p : kParams) {
        if (p.Word(*this) != p.defaultValue) return false;
    }
    return true;
}

void NoiseGatePedal::RestoreDefaults() {
    SetDefaults<NoiseGatePedal>(*this, kParams);
}

void NoiseGatePedal::ProcessBlock(int16_t* samples, int32_t count) {
    if (Bypassed(count)) return;
    unit_.Process(samples, static_cast<size_t>(count));
}

int NoiseGatePedal::Load(std::FILE* file) {
    LoadParams<NoiseGatePedal>(*this, kParams, file);
    return 1;
}

int NoiseGatePedal::Save(std::FILE* file) {
    SaveParams<NoiseGatePedal>(*this, kParams, file);
    return 1;
}

void NoiseGatePedal::OnControl(int32_t id, int32_t value) {
    if (SetFromKnob<NoiseGatePedal>(*this, kParams, id, value)) {
        ShowReadings();
    } else {
        Effect::OnControl(id, value);
    }
}

}  // namespace ampliro
