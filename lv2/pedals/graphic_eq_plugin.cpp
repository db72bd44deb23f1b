// Graphic EQ: Level and the seven bands, -10..+10 dB each.
#include "effects/units/graphic_eq/graphic_eq.h"
#include "lv2/pedals/pedal_plugins.h"
#include "lv2/unit_binding.h"

namespace ampliro::lv2 {
namespace {

using Unit = dsp::GraphicEq;

template <int kBand>
void SetBand(Unit& u, int32_t dB) {
    u.SetBand(kBand, dB);
}

constexpr UnitControl<Unit> kControls[] = {
    {{"level", "Level", 0, 64, 48}, [](Unit& u, int32_t v) { u.SetLevel(v); }},
    {{"band_100", "100 Hz", -10, 10, 0, PortUnit::kDecibels}, SetBand<0>},
    {{"band_200", "200 Hz", -10, 10, 0, PortUnit::kDecibels}, SetBand<1>},
    {{"band_400", "400 Hz", -10, 10, 0, PortUnit::kDecibels}, SetBand<2>},
    {{"band_800", "800 Hz", -10, 10, 0, PortUnit::kDecibels}, SetBand<3>},
    {{"band_1600", "1.6 kHz", -10, 10, 0, PortUnit::kDecibels}, SetBand<4>},
    {{"band_3200", "3.2 kHz", -10, 10, 0, PortUnit::kDecibels}, SetBand<5>},
    {{"band_6400", "6.4 kHz", -10, 10, 0, PortUnit::kDecibels}, SetBand<6>},
};
constexpr auto kPorts = PortsOf(kControls);

}  // namespace

const PluginInfo kGraphicEqPlugin = {"graphic-eq", "Ampliro Graphic EQ", "MultiEQPlugin", kPorts,
                                     [] { return MakeUnitDsp(kControls); }};

}  // namespace ampliro::lv2
