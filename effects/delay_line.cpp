#include "effects/delay_line.h"

namespace ampliro {
namespace {

// The preset record: level, mix, enabled, delay (ms), decay, cutoff.
constexpr PedalParam<DelayLine> kParams[] = {
    {.get = [](const DelayLine& d) -> int32_t { return d.level; },
     .set = [](DelayLine& d, int32_t v) { d.level = ClampInt(v, 0, 64); },
     .defaultValue = 48},
    {.get = [](const DelayLine& d) -> int32_t { return d.mix; },
     .set = [](DelayLine& d, int32_t v) { d.mix = ClampInt(v, 0, 64); },
     .defaultValue = 32,
     .knobId = DelayLine::kMixKnob,
     .cx = 186,
     .cy = 113,
     .strip = kStrip127},
    {.get = [](const DelayLine& d) -> int32_t { return d.enabled; },
     .set = [](DelayLine& d, int32_t v) { d.enabled = v != 0; }},
    {.get = [](const DelayLine& d) { return d.delayMs; },
     .set = [](DelayLine& d, int32_t v) { d.SetDelay(v, d.decay); },
     .defaultValue = 500,
     .knobId = DelayLine::kDelayKnob,
     .minimum = 1,
     .maximum = DelayLine::kMaxDelayMs,
     .cx = 111,
     .cy = 41,
     .strip = kStrip127},
    {.get = [](const DelayLine& d) -> int32_t { return d.decay; },
     .set = [](DelayLine& d, int32_t v) { d.SetDelay(d.delayMs, v); },
     .defaultValue = 32,
     .knobId = DelayLine::kDecayKnob,
     .cx = 186,
     .cy = 41,
     .strip = kStrip127},
    {.get = [](const DelayLine& d) { return d.cutoff; },
     .set = [](DelayLine& d, int32_t v) { d.SetCutoff(v); },
     .defaultValue = 64,
     .knobId = DelayLine::kCutoffKnob,
     .cx = 111,
     .cy = 113,
     .strip = kStrip127},
};

}  // namespace

DelayLine::DelayLine() {
    name = "Digital Delay";
    imageIndex = 2;
    SetDefaults<DelayLine>(*this, kParams);
}

int DelayLine::Init(int32_t rate, int32_t key) {
    BeginPanel();
    Effect::Init(rate, key);
    if (!unit_.Init(rate)) return 0;
    SetDelay(delayMs, decay);
    BuildPanel();
    return 1;
}

void DelayLine::BuildPanel() {
    AddLevelSlider(levelSlider, 28, 50, 15, 90, Images().sliderThumb);
    AddPowerLamp();
    AddPeakLamp(20, 30);
    AddFootSwitch();
    AddKnobs<DelayLine>(kParams, knobs);
}

void DelayLine::SetDelay(int32_t ms, int32_t decayValue) {
    // At least 1 ms: a zero length would leave no entry to read or write.
    delayMs = ClampInt(ms, 1, kMaxDelayMs);
    decay = ClampInt(decayValue, 0, 64);
    unit_.SetDelayMs(delayMs);
    unit_.SetDecay(decay);
    delaySamples = unit_.delaySamples();
}

void DelayLine::SetCutoff(int32_t value) {
    cutoff = ClampInt(value, 0, 64);
    unit_.SetCutoff(cutoff);
    toneCoef = unit_.toneCoef();
}

void DelayLine::SyncUnit() {
    unit_.SetLevel(level);
    unit_.SetMix(mix);
}

int DelayLine::ProcessSample(int x) {
    dsp::ClipReport report;
    const int32_t echo = unit_.Step(x, report);
    HoldPeak(report);
    return echo;
}

void DelayLine::ProcessBlock(int16_t* samples, int32_t count) {
    unit_.ApplyPendingClear();
    if (Bypassed(count)) return;
    SyncUnit();
    HoldPeak(unit_.Process(samples, static_cast<size_t>(count)));
}

int DelayLine::Load(std::FILE* file) {
    LoadParams<DelayLine>(*this, kParams, file);
    return 1;
}

int DelayLine::Save(std::FILE* file) {
    SaveParams<DelayLine>(*this, kParams, file);
    return 1;
}

void DelayLine::OnControl(int32_t id, int32_t value) {
    if (id == kLevelSliderId) {
        SetLevelFromSlider(value);
    } else if (!SetFromKnob<DelayLine>(*this, kParams, id, value)) {
        Effect::OnControl(id, value);
    }
}

}  // namespace ampliro
