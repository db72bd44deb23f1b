#include "effects/reverb_line.h"

namespace ampliro {
namespace {

// The preset record: level, mix, enabled, time (ms), decay, LP gain, HP
// gain; the Filter knob edits one of the two gains and has no word itself.
constexpr PedalParam<ReverbLine> kParams[] = {
    {.get = [](const ReverbLine& r) -> int32_t { return r.level; },
     .set = [](ReverbLine& r, int32_t v) { r.level = ClampInt(v, 0, 64); },
     .defaultValue = 48},
    {.get = [](const ReverbLine& r) -> int32_t { return r.mix; },
     .set = [](ReverbLine& r, int32_t v) { r.mix = ClampInt(v, 0, 64); },
     .defaultValue = 32,
     .knobId = ReverbLine::kMixKnob,
     .cx = 186,
     .cy = 113,
     .strip = kStrip125},
    {.get = [](const ReverbLine& r) -> int32_t { return r.enabled; },
     .set = [](ReverbLine& r, int32_t v) { r.enabled = v != 0; }},
    {.get = [](const ReverbLine& r) { return r.delayMs; },
     .set = [](ReverbLine& r, int32_t v) { r.SetReverb(v, r.decayAmount); },
     .defaultValue = 32,
     .knobId = ReverbLine::kTimeKnob,
     .minimum = 1,
     .maximum = 250,
     .cx = 111,
     .cy = 41,
     .strip = kStrip125},
    {.get = [](const ReverbLine& r) { return r.decayAmount; },
     .set = [](ReverbLine& r, int32_t v) { r.SetReverb(r.delayMs, v); },
     .defaultValue = 32,
     .knobId = ReverbLine::kDecayKnob,
     .cx = 186,
     .cy = 41,
     .strip = kStrip125},
    {.get = [](const ReverbLine& r) { return r.lpGain; },
     .set = [](ReverbLine& r, int32_t v) { r.SetFilterGains(v, r.hpGain); },
     .defaultValue = 32},
    {.get = [](const ReverbLine& r) { return r.hpGain; },
     .set = [](ReverbLine& r, int32_t v) { r.SetFilterGains(r.lpGain, v); },
     .defaultValue = 32},
    {.get = [](const ReverbLine& r) { return r.filterIsLow ? r.lpGain : r.hpGain; },
     .set =
         [](ReverbLine& r, int32_t v) {
             if (r.filterIsLow) {
                 r.SetFilterGains(v, r.hpGain);
             } else {
                 r.SetFilterGains(r.lpGain, v);
             }
         },
     .defaultValue = 32,
     .knobId = ReverbLine::kFilterKnob,
     .cx = 111,
     .cy = 113,
     .strip = kStrip125,
     .stored = false},
};

}  // namespace

ReverbLine::ReverbLine() {
    name = "Digital Reverb";
    imageIndex = 5;
    SetDefaults<ReverbLine>(*this, kParams);
}

int ReverbLine::Init(int32_t rate, int32_t key) {
    BeginPanel();
    Effect::Init(rate, key);
    const bool ready = unit_.Init(rate);
    SetFilterGains(lpGain, hpGain);
    if (!ready) return 0;
    SetReverb(delayMs, decayAmount);
    filterIsLow = 0;
    BuildPanel();
    return 1;
}

void ReverbLine::BuildPanel() {
    AddLevelSlider(levelSlider, 28, 50, 15, 90, Images().sliderThumb);
    AddPowerLamp();
    AddPeakLamp(20, 30);
    AddFootSwitch();
    AddKnobs<ReverbLine>(kParams, knobs);
    filterSelector.faceColour = 0xBE9E;
    filterSelector.SetBounds(65, 138, 18, 14);
    filterSelector.SetFlags(5);
    filterSelector.SetCaption(kFilterSelectorId, "#FFFFFFHP", 16);
    filterSelector.SetStyle(kButtonFramed | kButtonOutline);
    filterSelector.borderColour = 0x0000;
    AddChild(&filterSelector);
}

void ReverbLine::SetReverb(int32_t ms, int32_t decay) {
    delayMs = ClampInt(ms, 1, 250);
    decayAmount = ClampInt(decay, 0, 64);
    unit_.SetReverb(delayMs, decayAmount);
}

void ReverbLine::SetFilterGains(int32_t lp, int32_t hp) {
    lpGain = ClampInt(lp, 0, 64);
    hpGain = ClampInt(hp, 0, 64);
    unit_.SetFilterGains(lpGain, hpGain);
}

int32_t ReverbLine::ToggleFilterSelector() {
    filterIsLow = filterIsLow ? 0 : 1;
    return filterIsLow ? lpGain : hpGain;
}

int ReverbLine::ProcessSample(int x) {
    dsp::ClipReport report;
    const int32_t y = unit_.Step(x, report);
    HoldPeak(report);
    return y;
}

void ReverbLine::ProcessBlock(int16_t* samples, int32_t count) {
    unit_.ApplyPendingClear();
    if (Bypassed(count)) return;
    unit_.SetLevel(level);
    unit_.SetMix(mix);
    HoldPeak(unit_.Process(samples, static_cast<size_t>(count)));
}

int ReverbLine::Load(std::FILE* file) {
    LoadParams<ReverbLine>(*this, kParams, file);
    return 1;
}

int ReverbLine::Save(std::FILE* file) {
    SaveParams<ReverbLine>(*this, kParams, file);
    return 1;
}

void ReverbLine::OnControl(int32_t id, int32_t value) {
    if (id == kLevelSliderId) {
        SetLevelFromSlider(value);
    } else if (id == kFilterSelectorId) {
        knobs[2].SetValue(ToggleFilterSelector());
        filterSelector.SetCaption(kFilterSelectorId, filterIsLow ? "#FFFFFFLP" : "#FFFFFFHP", 16);
    } else if (!SetFromKnob<ReverbLine>(*this, kParams, id, value)) {
        Effect::OnControl(id, value);
    }
}

}  // namespace ampliro
