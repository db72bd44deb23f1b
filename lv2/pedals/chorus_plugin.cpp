// Chorus: Level, Speed (1/32 Hz steps), Depth, Feedback and Mix.
#include "effects/units/chorus/chorus.h"
#include "lv2/pedals/pedal_plugins.h"
#include "lv2/unit_binding.h"

namespace ampliro::lv2 {
namespace {

using Unit = dsp::Chorus;

constexpr UnitControl<Unit> kControls[] = {
    {{"level", "Level", 0, 64, 48}, [](Unit& u, int32_t v) { u.SetLevel(v); }},
    {{"speed", "Speed", 1, 64, 16}, [](Unit& u, int32_t v) { u.SetSpeed(static_cast<float>(v)); }},
    {{"depth", "Depth", 0, 64, 32}, [](Unit& u, int32_t v) { u.SetDepth(v); }},
    {{"feedback", "Feedback", 0, 64, 32}, [](Unit& u, int32_t v) { u.SetFeedback(v); }},
    {{"mix", "Mix", 0, 64, 32}, [](Unit& u, int32_t v) { u.SetMix(v); }},
};
constexpr auto kPorts = PortsOf(kControls);

}  // namespace

const PluginInfo kChorusPlugin = {"chorus", "Ampliro Chorus", "ChorusPlugin", kPorts,
                                  [] { return MakeUnitDsp(kControls); }};

}  // namespace ampliro::lv2
