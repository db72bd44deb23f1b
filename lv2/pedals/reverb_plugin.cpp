// Digital Reverb: Level, Delay (ms), Decay, the Filter knob's two gains (its
// LP and HP positions) as two controls, and Mix.
#include "effects/units/reverb/reverb.h"
#include "lv2/pedals/pedal_plugins.h"
#include "lv2/unit_binding.h"

namespace ampliro::lv2 {
namespace {

// The unit takes delay and decay together, and the two filter gains
// together; each control changes one of a pair.
struct ReverbWithPairs {
    bool Init(int32_t rate) { return unit.Init(rate); }
    void Process(int16_t* samples, size_t count) { unit.Process(samples, count); }
    void SetTime(int32_t ReverbWithPairs::*field, int32_t value) {
        this->*field = value;
        unit.SetReverb(delayMs, decay);
    }
    void SetFilter(int32_t ReverbWithPairs::*field, int32_t value) {
        this->*field = value;
        unit.SetFilterGains(lowGain, highGain);
    }

    dsp::Reverb unit;
    int32_t delayMs = 32;
    int32_t decay = 32;
    int32_t lowGain = 32;
    int32_t highGain = 32;
};

using Unit = ReverbWithPairs;

constexpr UnitControl<Unit> kControls[] = {
    {{"level", "Level", 0, 64, 48}, [](Unit& u, int32_t v) { u.unit.SetLevel(v); }},
    {{"delay", "Delay", 1, 250, 32, PortUnit::kMilliseconds},
     [](Unit& u, int32_t v) { u.SetTime(&Unit::delayMs, v); }},
    {{"decay", "Decay", 0, 64, 32}, [](Unit& u, int32_t v) { u.SetTime(&Unit::decay, v); }},
    {{"filter_lp", "Filter LP", 0, 64, 32},
     [](Unit& u, int32_t v) { u.SetFilter(&Unit::lowGain, v); }},
    {{"filter_hp", "Filter HP", 0, 64, 32},
     [](Unit& u, int32_t v) { u.SetFilter(&Unit::highGain, v); }},
    {{"mix", "Mix", 0, 64, 32}, [](Unit& u, int32_t v) { u.unit.SetMix(v); }},
};
constexpr auto kPorts = PortsOf(kControls);

}  // namespace

const PluginInfo kReverbPlugin = {"reverb", "Ampliro Digital Reverb", "ReverbPlugin", kPorts,
                                  [] { return MakeUnitDsp(kControls); }};

}  // namespace ampliro::lv2
