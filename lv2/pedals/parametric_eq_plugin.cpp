// Parametric EQ: Level, Frequency (Hz), Resonance, Gain and Mix, on the
// band-pass output (the pedal's knobs have no output selector).
#include "effects/units/parametric_eq/parametric_eq.h"
#include "lv2/pedals/pedal_plugins.h"
#include "lv2/unit_binding.h"

namespace ampliro::lv2 {
namespace {

// The unit retunes from resonance and frequency together.
struct ParametricEqWithTuning {
    bool Init(int32_t rate) {
        unit.Init(rate);
        return true;
    }
    void Process(int16_t* samples, size_t count) { unit.Process(samples, count); }
    void SetTuning(int32_t ParametricEqWithTuning::*field, int32_t value) {
        this->*field = value;
        unit.SetTuning(static_cast<float>(resonance), static_cast<float>(frequency));
    }

    dsp::ParametricEq unit;
    int32_t resonance = 32;
    int32_t frequency = 2600;
};

using Unit = ParametricEqWithTuning;

constexpr UnitControl<Unit> kControls[] = {
    {{"level", "Level", 0, 64, 48}, [](Unit& u, int32_t v) { u.unit.SetLevel(v); }},
    {{"frequency", "Frequency", 200, 5000, 2600, PortUnit::kHz},
     [](Unit& u, int32_t v) { u.SetTuning(&Unit::frequency, v); }},
    {{"resonance", "Resonance", 0, 64, 32},
     [](Unit& u, int32_t v) { u.SetTuning(&Unit::resonance, v); }},
    {{"gain", "Gain", 0, 64, 0}, [](Unit& u, int32_t v) { u.unit.SetGain(v); }},
    {{"mix", "Mix", 0, 64, 32}, [](Unit& u, int32_t v) { u.unit.SetMix(v); }},
};
constexpr auto kPorts = PortsOf(kControls);

}  // namespace

const PluginInfo kParametricEqPlugin = {"parametric-eq", "Ampliro Parametric EQ", "ParaEQPlugin",
                                        kPorts, [] { return MakeUnitDsp(kControls); }};

}  // namespace ampliro::lv2
