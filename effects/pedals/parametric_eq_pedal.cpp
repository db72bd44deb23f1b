#include "effects/pedals/parametric_eq_pedal.h"

namespace ampliro {
namespace {

// The preset record: level, mix, enabled, resonance and frequency (IEEE
// singles), mode, gain. The mode has no knob; a damaged one reads as
// band-pass.
constexpr PedalParam<ParametricEqPedal> kParams[] = {
    LevelParam<ParametricEqPedal>(),
    MixParam<ParametricEqPedal>(ParametricEqPedal::kMixKnob, 186, 113, kBlackSilverCapKnob),
    EnabledParam<ParametricEqPedal>(),
    {.getReal = [](const ParametricEqPedal& f) { return f.resonance; },
     .setReal = [](ParametricEqPedal& f,
                   float v) { f.UpdateCoefficients(dsp::ClampFloat(v, 0, 64), f.frequency); },
     .defaultValue = 32,
     .knobId = ParametricEqPedal::kResonanceKnob,
     .cx = 186,
     .cy = 41,
     .strip = kBlackSilverCapKnob},
    {.getReal = [](const ParametricEqPedal& f) { return f.frequency; },
     .setReal = [](ParametricEqPedal& f,
                   float v) { f.UpdateCoefficients(f.resonance, dsp::ClampFloat(v, 200, 5000)); },
     .defaultValue = 2600,
     .knobId = ParametricEqPedal::kFrequencyKnob,
     .minimum = 200,
     .maximum = 5000,
     .cx = 111,
     .cy = 41,
     .strip = kBlackSilverCapKnob},
    {.get = [](const ParametricEqPedal& f) -> int32_t { return f.mode; },
     .set =
         [](ParametricEqPedal& f, int32_t v) {
             f.mode = v >= ParametricEqPedal::kNotch && v <= ParametricEqPedal::kBandPass
                          ? v
                          : ParametricEqPedal::kBandPass;
         },
     .defaultValue = ParametricEqPedal::kBandPass},
    {.get = [](const ParametricEqPedal& f) -> int32_t { return f.gain; },
     .set = [](ParametricEqPedal& f, int32_t v) { f.gain = dsp::ClampInt(v, 0, 64); },
     .defaultValue = 0,
     .knobId = ParametricEqPedal::kGainKnob,
     .cx = 111,
     .cy = 113,
     .strip = kBlackSilverCapKnob},
};

}  // namespace

std::span<const PedalParam<ParametricEqPedal>> ParametricEqPedal::Params() {
    return kParams;
}

ParametricEqPedal::ParametricEqPedal() {
    name = "Parametric EQ";
    imageIndex = kParametricEqPicture;
    SetDefaults();
}

int ParametricEqPedal::Init(int32_t rate, int32_t key) {
    BeginPanel();
    Effect::Init(rate, key);
    unit_.Init(rate);
    UpdateCoefficients(resonance, frequency);
    BuildPanel();
    return 1;
}

void ParametricEqPedal::BuildPanel() {
    AddLevelSlider(levelSlider, 28, 50, 15, 90, Images().sliderThumb);
    AddPowerLamp();
    AddPeakLamp(20, 30);
    AddFootSwitch();
    AddKnobs(knobs);
}

void ParametricEqPedal::UpdateCoefficients(float resonanceValue, float frequencyHz) {
    resonance = resonanceValue;
    frequency = frequencyHz;
    unit_.SetTuning(resonance, frequency);
}

void ParametricEqPedal::SyncUnit() {
    unit_.SetMode(mode);
    unit_.SetGain(gain);
    unit_.SetLevel(level);
    unit_.SetMix(mix);
}

void ParametricEqPedal::ProcessBlock(int16_t* samples, int32_t count) {
    if (Bypassed(count)) return;
    SyncUnit();
    HoldPeak(unit_.Process(samples, static_cast<size_t>(count)));
}

}  // namespace ampliro
