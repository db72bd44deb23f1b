#include "effects/pedals/delay_pedal.h"

namespace ampliro {
namespace {

// The preset record: level, mix, enabled, delay (ms), decay, cutoff.
constexpr PedalParam<DelayPedal> kParams[] = {
    LevelParam<DelayPedal>(),
    MixParam<DelayPedal>(DelayPedal::kMixKnob, 186, 113, kAluminiumKnob),
    EnabledParam<DelayPedal>(),
    {.get = [](const DelayPedal& d) { return d.delayMs; },
     .set = [](DelayPedal& d, int32_t v) { d.SetDelay(v, d.decay); },
     .defaultValue = 500,
     .knobId = DelayPedal::kDelayKnob,
     .minimum = 1,
     .maximum = DelayPedal::kMaxDelayMs,
     .cx = 111,
     .cy = 41,
     .strip = kAluminiumKnob},
    {.get = [](const DelayPedal& d) -> int32_t { return d.decay; },
     .set = [](DelayPedal& d, int32_t v) { d.SetDelay(d.delayMs, v); },
     .defaultValue = 32,
     .knobId = DelayPedal::kDecayKnob,
     .cx = 186,
     .cy = 41,
     .strip = kAluminiumKnob},
    {.get = [](const DelayPedal& d) { return d.cutoff; },
     .set = [](DelayPedal& d, int32_t v) { d.SetCutoff(v); },
     .defaultValue = 64,
     .knobId = DelayPedal::kCutoffKnob,
     .cx = 111,
     .cy = 113,
     .strip = kAluminiumKnob},
};

}  // namespace

std::span<const PedalParam<DelayPedal>> DelayPedal::Params() {
    return kParams;
}

DelayPedal::DelayPedal() {
    name = "Digital Delay";
    imageIndex = kDelayPicture;
    SetDefaults();
}

int DelayPedal::Init(int32_t rate, int32_t key) {
    BeginPanel();
    Effect::Init(rate, key);
    if (!unit_.Init(rate)) return 0;
    SetDelay(delayMs, decay);
    BuildPanel();
    return 1;
}

void DelayPedal::BuildPanel() {
    AddLevelSlider(levelSlider, 28, 50, 15, 90, Images().sliderThumb);
    AddPowerLamp();
    AddPeakLamp(20, 30);
    AddFootSwitch();
    AddKnobs(knobs);
}

void DelayPedal::SetDelay(int32_t ms, int32_t decayValue) {
    // At least 1 ms: a zero length would leave no entry to read or write.
    delayMs = dsp::ClampInt(ms, 1, kMaxDelayMs);
    decay = dsp::ClampInt(decayValue, 0, 64);
    unit_.SetDelayMs(delayMs);
    unit_.SetDecay(decay);
}

void DelayPedal::SetCutoff(int32_t value) {
    cutoff = dsp::ClampInt(value, 0, 64);
    unit_.SetCutoff(cutoff);
}

void DelayPedal::SyncUnit() {
    unit_.SetLevel(level);
    unit_.SetMix(mix);
}

void DelayPedal::ProcessBlock(int16_t* samples, int32_t count) {
    unit_.ApplyPendingClear();
    if (Bypassed(count)) return;
    SyncUnit();
    HoldPeak(unit_.Process(samples, static_cast<size_t>(count)));
}

}  // namespace ampliro
