#include "effects/pedals/delay_pedal.h"

namespace ampliro {
namespace {

// The preset record: level, mix, enabled, delay (ms), decay, cutoff.
constexpr PedalParam<DelayPedal> kParams[] = {
    {.get = [](const DelayPedal& d) -> int32_t { return d.level; },
     .set = [](DelayPedal& d, int32_t v) { d.level = dsp::ClampInt(v, 0, 64); },
     .defaultValue = 48},
    {.get = [](const DelayPedal& d) -> int32_t { return d.mix; },
     .set = [](DelayPedal& d, int32_t v) { d.mix = dsp::ClampInt(v, 0, 64); },
     .defaultValue = 32,
     .knobId = DelayPedal::kMixKnob,
     .cx = 186,
     .cy = 113,
     .strip = kAluminiumKnob},
    {.get = [](const DelayPedal& d) -> int32_t { return d.enabled; },
     .set = [](DelayPedal& d, int32_t v) { d.enabled = v != 0; }},
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

DelayPedal::DelayPedal() {
    name = "Digital Delay";
    imageIndex = kDelayPicture;
    SetDefaults<DelayPedal>(*this, kParams);
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
    AddKnobs<DelayPedal>(kParams, knobs);
}

void DelayPedal::SetDelay(int32_t ms, int32_t decayValue) {
    // At least 1 ms: a zero length would leave no entry to read or write.
    delayMs = dsp::ClampInt(ms, 1, kMaxDelayMs);
    decay = dsp::ClampInt(decayValue, 0, 64);
    unit_.SetDelayMs(delayMs);
    unit_.SetDecay(decay);
    delaySamples = unit_.delaySamples();
}

void DelayPedal::SetCutoff(int32_t value) {
    cutoff = dsp::ClampInt(value, 0, 64);
    unit_.SetCutoff(cutoff);
    toneCoef = unit_.toneCoef();
}

void DelayPedal::SyncUnit() {
    unit_.SetLevel(level);
    unit_.SetMix(mix);
}

int DelayPedal::ProcessSample(int x) {
    dsp::ClipReport report;
    const int32_t echo = unit_.Step(x, report);
    HoldPeak(report);
    return echo;
}

void DelayPedal::ProcessBlock(int16_t* samples, int32_t count) {
    unit_.ApplyPendingClear();
    if (Bypassed(count)) return;
    SyncUnit();
    HoldPeak(unit_.Process(samples, static_cast<size_t>(count)));
}

int DelayPedal::Load(std::FILE* file) {
    LoadParams<DelayPedal>(*this, kParams, file);
    return 1;
}

int DelayPedal::Save(std::FILE* file) {
    SaveParams<DelayPedal>(*this, kParams, file);
    return 1;
}

void DelayPedal::OnControl(int32_t id, int32_t value) {
    if (id == kLevelSliderId) {
        SetLevelFromSlider(value);
    } else if (!SetFromKnob<DelayPedal>(*this, kParams, id, value)) {
        Effect::OnControl(id, value);
    }
}

}  // namespace ampliro
