// Pitch Shifter: Level, Semitones (-12..+12), Mix, and the Block size the
// plugin gathers before each step (the device's block at 44.1 and 48 kHz
// with the default latency setting by default).
#include "effects/units/pitch_shifter/pitch_shifter.h"
#include "lv2/pedals/pedal_plugins.h"
#include "lv2/unit_binding.h"

namespace ampliro::lv2 {
namespace {

// The unit takes its first shift with the rate.
struct PitchShifterAtShift {
    bool Init(int32_t rate) {
        unit.Init(rate, semitones);
        return true;
    }
    void Process(int16_t* samples, size_t count) { unit.Process(samples, count); }

    dsp::PitchShifter unit;
    int32_t semitones = 3;
};

using Unit = PitchShifterAtShift;

constexpr int32_t kBlockControl = 3;

constexpr UnitControl<Unit> kControls[] = {
    {{"level", "Level", 0, 64, 48}, [](Unit& u, int32_t v) { u.unit.SetLevel(v); }},
    {{"semitones", "Semitones", -12, 12, 3, PortUnit::kSemitones},
     [](Unit& u, int32_t v) {
         u.semitones = v;
         u.unit.SetSemitones(v);
     }},
    {{"mix", "Mix", 0, 64, 32}, [](Unit& u, int32_t v) { u.unit.SetMix(v); }},
    {{"block", "Block", 16, dsp::PitchShifter::kMaxBlock, 448, PortUnit::kFrames}, nullptr},
};
constexpr auto kPorts = PortsOf(kControls);

}  // namespace

const PluginInfo kPitchShifterPlugin = {"pitch-shifter",
                                        "Ampliro Pitch Shifter",
                                        "PitchPlugin",
                                        kPorts,
                                        [] { return MakeUnitDsp(kControls); },
                                        kBlockControl};

}  // namespace ampliro::lv2
