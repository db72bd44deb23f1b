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

// Each knob: the value clamped to its row's range, then handed to the unit in
// the unit's measure (the attack knob counts tenths of a ms).
template <void (dsp::NoiseGate::*Set)(float)>
void NoiseGatePedal::Apply(int32_t& knob, int32_t row, int32_t value, float divisor) {
    knob = dsp::ClampInt(value, kParams[row].minimum, kParams[row].maximum);
    (unit_.*Set)(static_cast<float>(knob) / divisor);
}

void NoiseGatePedal::SetThreshold(int32_t dbfs) {
    Apply<&Gate::SetThreshold>(threshold, 1, dbfs);
}
void NoiseGatePedal::SetHysteresis(int32_t db) {
    Apply<&Gate::SetHysteresis>(hysteresis, 2, db);
}
void NoiseGatePedal::SetAttack(int32_t tenthsMs) {
    Apply<&Gate::SetAttack>(attack, 3, tenthsMs, 10.0f);
}
void NoiseGatePedal::SetHold(int32_t ms) {
    Apply<&Gate::SetHold>(hold, 4, ms);
}
void NoiseGatePedal::SetRelease(int32_t ms) {
    Apply<&Gate::SetRelease>(release, 5, ms);
}

void NoiseGatePedal::ProcessBlock(int16_t* samples, int32_t count) {
    if (Bypassed(count)) return;
    unit_.Process(samples, static_cast<size_t>(count));
}

}  // namespace ampliro
