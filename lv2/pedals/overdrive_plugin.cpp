// Overdrive: Drive and Saturation into the clipper, Bass, Middle and Treble
// in the tone stack before it. No Level or Mix: the pedal has none.
#include "effects/units/overdrive/overdrive.h"
#include "lv2/pedals/pedal_plugins.h"
#include "lv2/unit_binding.h"

namespace ampliro::lv2 {
namespace {

// The unit takes the three tone gains together; the plugin's three controls
// each change one of them.
struct OverdriveWithTone {
    bool Init(int32_t rate) {
        unit.Init(rate);
        return true;
    }
    void Process(int16_t* samples, size_t count) { unit.Process(samples, count); }
    void SetBand(int32_t OverdriveWithTone::*band, int32_t value) {
        this->*band = value;
        unit.SetTone(bass, middle, treble);
    }

    dsp::Overdrive unit;
    int32_t bass = 32;
    int32_t middle = 32;
    int32_t treble = 32;
};

using Unit = OverdriveWithTone;

constexpr UnitControl<Unit> kControls[] = {
    {{"drive", "Drive", 0, 64, 32}, [](Unit& u, int32_t v) { u.unit.SetDrive(v); }},
    {{"saturation", "Saturation", 0, 64, 32}, [](Unit& u, int32_t v) { u.unit.SetSaturation(v); }},
    {{"bass", "Bass", 0, 64, 32}, [](Unit& u, int32_t v) { u.SetBand(&Unit::bass, v); }},
    {{"middle", "Middle", 0, 64, 32}, [](Unit& u, int32_t v) { u.SetBand(&Unit::middle, v); }},
    {{"treble", "Treble", 0, 64, 32}, [](Unit& u, int32_t v) { u.SetBand(&Unit::treble, v); }},
};
constexpr auto kPorts = PortsOf(kControls);

}  // namespace

const PluginInfo kOverdrivePlugin = {"overdrive", "Ampliro Overdrive", "DistortionPlugin", kPorts,
                                     [] { return MakeUnitDsp(kControls); }};

}  // namespace ampliro::lv2
