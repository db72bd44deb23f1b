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
    RealKnobParam<&ParametricEqPedal::resonance>(
        {ParametricEqPedal::kResonanceKnob, 186, 41, kBlackSilverCapKnob}, 32,
        [](ParametricEqPedal& f, float v) {
            f.UpdateCoefficients(dsp::ClampFloat(v, 0, 64), f.frequency);
        }),
    RealKnobParam<&ParametricEqPedal::frequency>(
        {ParametricEqPedal::kFrequencyKnob, 111, 41, kBlackSilverCapKnob}, 2600,
        [](ParametricEqPedal& f, float v) {
            f.UpdateCoefficients(f.resonance, dsp::ClampFloat(v, 200, 5000));
        },
        200, 5000),
    {.get = [](const ParametricEqPedal& f) -> int32_t { return f.mode; },
     .set =
         [](ParametricEqPedal& f, int32_t v) {
             f.mode = v >= ParametricEqPedal::kNotch && v <= ParametricEqPedal::kBandPass
                          ? v
                          : ParametricEqPedal::kBandPass;
         },
     .defaultValue = ParametricEqPedal::kBandPass},
    KnobParam<&ParametricEqPedal::gain>(
        {ParametricEqPedal::kGainKnob, 111, 113, kBlackSilverCapKnob}, 0,
        [](ParametricEqPedal& f, int32_t v) { f.gain = dsp::ClampInt(v, 0, 64); }),
};

}  // namespace

std::span<const PedalParam<ParametricEqPedal>> ParametricEqPedal::Params() {
    return kParams;
}

ParametricEqPedal::ParametricEqPedal() {
    name = "Parametric EQ";
    imageIndex = kParametricEqPicture;
    RestoreDefaults();
}

int ParametricEqPedal::Init(int32_t rate, int32_t key) {
    BeginPanel();
    Effect::Init(rate, key);
    unit_.Init(rate);
    UpdateCoefficients(resonance, frequency);
    BuildStandardPanel(levelSlider, knobs);
    return 1;
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
