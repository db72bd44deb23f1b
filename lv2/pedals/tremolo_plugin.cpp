// Tremolo: Level, Rate (quarter hertz) and Depth.
#include "effects/units/tremolo/tremolo.h"
#include "lv2/pedals/pedal_plugins.h"
#include "lv2/unit_binding.h"

namespace ampliro::lv2 {
namespace {

using Unit = dsp::Tremolo;

constexpr UnitControl<Unit> kControls[] = {
    {{"level", "Level", 0, 64, 48}, [](Unit& u, int32_t v) { u.SetLevel(v); }},
    {{"rate", "Rate", 1, 64, 32}, [](Unit& u, int32_t v) { u.SetSpeed(v); }},
    {{"depth", "Depth", 0, 64, 32}, [](Unit& u, int32_t v) { u.SetDepth(v); }},
};
constexpr auto kPorts = PortsOf(kControls);

}  // namespace

const PluginInfo kTremoloPlugin = {"tremolo", "Ampliro Tremolo", "ModulatorPlugin", kPorts,
                                   [] { return MakeUnitDsp(kControls); }};

}  // namespace ampliro::lv2
