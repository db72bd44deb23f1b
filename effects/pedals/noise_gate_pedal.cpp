#include "effects/pedals/noise_gate_pedal.h"

#include <span>

namespace ampliro {
namespace {

using Gate = dsp::NoiseGate;

// The preset record: enabled, threshold, hysteresis, attack, hold, release.
// Top row threshold and hysteresis, bottom row the three times.
constexpr PedalParam<NoiseGatePedal> kParams[] = {
    EnabledParam<NoiseGatePedal>(),
    KnobParam<&NoiseGatePedal::threshold>(
        {NoiseGatePedal::kThresholdKnob, 120, 41}, -60, CallSetter<&NoiseGatePedal::SetThreshold>,
        static_cast<int32_t>(Gate::kMinThresholdDb), static_cast<int32_t>(Gate::kMaxThresholdDb)),
    KnobParam<&NoiseGatePedal::hysteresis>({NoiseGatePedal::kHysteresisKnob, 188, 41}, 6,
                                           CallSetter<&NoiseGatePedal::SetHysteresis>, 0,
                                           static_cast<int32_t>(Gate::kMaxHysteresisDb)),
    KnobParam<&NoiseGatePedal::attack>({NoiseGatePedal::kAttackKnob, 50, 118}, 5,
                                       CallSetter<&NoiseGatePedal::SetAttack>, 1, 10),
    KnobParam<&NoiseGatePedal::hold>(
        {NoiseGatePedal::kHoldKnob, 120, 118}, 50, CallSetter<&NoiseGatePedal::SetHold>,
        static_cast<int32_t>(Gate::kMinHoldMs), static_cast<int32_t>(Gate::kMaxHoldMs)),
    KnobParam<&NoiseGatePedal::release>(
        {NoiseGatePedal::kReleaseKnob, 188, 118}, 100, CallSetter<&NoiseGatePedal::SetRelease>,
        static_cast<int32_t>(Gate::kMinReleaseMs), static_cast<int32_t>(Gate::kMaxReleaseMs)),
};

}  // namespace

std::span<const PedalParam<NoiseGatePedal>> NoiseGatePedal::Params() {
    return kParams;
}

NoiseGatePedal::NoiseGatePedal() {
    name = "Noise Gate";
    imageIndex = kNoiseGatePicture;
    RestoreDefaults();
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
    AddKnobs(knobs);
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

void NoiseGatePedal::ProcessBlock(int16_t* samples, int32_t count) {
    if (Bypassed(count)) return;
    unit_.Process(samples, static_cast<size_t>(count));
}

}  // namespace ampliro
