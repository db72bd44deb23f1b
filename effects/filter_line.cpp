#include "effects/filter_line.h"

namespace ampliro {
namespace {

// The preset record: level, mix, enabled, resonance and frequency (IEEE
// singles), mode, gain. The mode has no knob; a damaged one reads as
// band-pass.
constexpr PedalParam<FilterLine> kParams[] = {
    {.get = [](const FilterLine& f) -> int32_t { return f.level; },
     .set = [](FilterLine& f, int32_t v) { f.level = ClampInt(v, 0, 64); },
     .defaultValue = 48},
    {.get = [](const FilterLine& f) -> int32_t { return f.mix; },
     .set = [](FilterLine& f, int32_t v) { f.mix = ClampInt(v, 0, 64); },
     .defaultValue = 32,
     .knobId = FilterLine::kMixKnob,
     .cx = 186,
     .cy = 113,
     .strip = kStrip125},
    {.get = [](const FilterLine& f) -> int32_t { return f.enabled; },
     .set = [](FilterLine& f, int32_t v) { f.enabled = v != 0; }},
    {.getReal = [](const FilterLine& f) { return f.resonance; },
     .setReal = [](FilterLine& f,
                   float v) { f.UpdateCoefficients(ClampFloat(v, 0, 64), f.frequency); },
     .defaultValue = 32,
     .knobId = FilterLine::kResonanceKnob,
     .cx = 186,
     .cy = 41,
     .strip = kStrip125},
    {.getReal = [](const FilterLine& f) { return f.frequency; },
     .setReal = [](FilterLine& f,
                   float v) { f.UpdateCoefficients(f.resonance, ClampFloat(v, 200, 5000)); },
     .defaultValue = 2600,
     .knobId = FilterLine::kFrequencyKnob,
     .minimum = 200,
     .maximum = 5000,
     .cx = 111,
     .cy = 41,
     .strip = kStrip125},
    {.get = [](const FilterLine& f) -> int32_t { return f.mode; },
     .set =
         [](FilterLine& f, int32_t v) {
             f.mode =
                 v >= FilterLine::kNotch && v <= FilterLine::kBandPass ? v : FilterLine::kBandPass;
         },
     .defaultValue = FilterLine::kBandPass},
    {.get = [](const FilterLine& f) -> int32_t { return f.gain; },
     .set = [](FilterLine& f, int32_t v) { f.gain = ClampInt(v, 0, 64); },
     .defaultValue = 0,
     .knobId = FilterLine::kGainKnob,
     .cx = 111,
     .cy = 113,
     .strip = kStrip125},
};

}  // namespace

FilterLine::FilterLine() {
    name = "Parametric EQ";
    imageIndex = 1;
    SetDefaults<FilterLine>(*this, kParams);
}

int FilterLine::Init(int32_t rate, int32_t key) {
    BeginPanel();
    Effect::Init(rate, key);
    unit_.Init(rate);
    UpdateCoefficients(resonance, frequency);
    BuildPanel();
    return 1;
}

void FilterLine::BuildPanel() {
    AddLevelSlider(levelSlider, 28, 50, 15, 90, Images().sliderThumb);
    AddPowerLamp();
    AddPeakLamp(20, 30);
    AddFootSwitch();
    AddKnobs<FilterLine>(kParams, knobs);
}

void FilterLine::UpdateCoefficients(float resonanceValue, float frequencyHz) {
    resonance = resonanceValue;
    frequency = frequencyHz;
    unit_.SetTuning(resonance, frequency);
    dampCoef = unit_.dampCoef();
    freqCoef = unit_.freqCoef();
}

void FilterLine::SyncUnit() {
    unit_.SetMode(mode);
    unit_.SetGain(gain);
    unit_.SetLevel(level);
    unit_.SetMix(mix);
}

int FilterLine::ProcessSample(int x) {
    SyncUnit();
    return ClipSample(unit_.Step(x));
}

void FilterLine::ProcessBlock(int16_t* samples, int32_t count) {
    if (Bypassed(count)) return;
    SyncUnit();
    HoldPeak(unit_.Process(samples, static_cast<size_t>(count)));
}

int FilterLine::Load(std::FILE* file) {
    LoadParams<FilterLine>(*this, kParams, file);
    return 1;
}

int FilterLine::Save(std::FILE* file) {
    SaveParams<FilterLine>(*this, kParams, file);
    return 1;
}

void FilterLine::OnControl(int32_t id, int32_t value) {
    if (id == kLevelSliderId) {
        SetLevelFromSlider(value);
    } else if (!SetFromKnob<FilterLine>(*this, kParams, id, value)) {
        Effect::OnControl(id, value);
    }
}

}  // namespace ampliro
