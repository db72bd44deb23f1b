// Digital Delay: Level, Delay (ms), Decay, Cutoff and Mix.
#include "effects/units/delay/delay.h"
#include "lv2/pedals/pedal_plugins.h"
#include "lv2/unit_binding.h"

namespace ampliro::lv2 {
namespace {

using Unit = dsp::Delay;

constexpr UnitControl<Unit> kControls[] = {
    {{"level", "Level", 0, 64, 48}, [](Unit& u, int32_t v) { u.SetLevel(v); }},
    {{"delay", "Delay", 1, 3000, 500, PortUnit::kMilliseconds},
     [](Unit& u, int32_t v) { u.SetDelayMs(v); }},
    {{"decay", "Decay", 0, 64, 32}, [](Unit& u, int32_t v) { u.SetDecay(v); }},
    {{"cutoff", "Cutoff", 0, 64, 64}, [](Unit& u, int32_t v) { u.SetCutoff(v); }},
    {{"mix", "Mix", 0, 64, 32}, [](Unit& u, int32_t v) { u.SetMix(v); }},
};
constexpr auto kPorts = PortsOf(kControls);

}  // namespace

const PluginInfo kDelayPlugin = {"delay", "Ampliro Digital Delay", "DelayPlugin", kPorts,
                                 [] { return MakeUnitDsp(kControls); }};

}  // namespace ampliro::lv2
