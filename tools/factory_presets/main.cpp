// ampliro-factory-presets FOLDER: writes the factory presets into FOLDER, one
// "<name>.preset" each, through the program's own pedals and preset writer,
// so that they are exactly what the program would save with those settings.
//
// Each preset starts from the pedals' defaults with every pedal off, in the
// default chain order; a row of the table below switches its pedal on and
// sets one control to a value in the units its knob shows: 0..64 for most,
// milliseconds for the delay and reverb times, dB (-10..10) for the Graphic
// EQ's bands, 200..5000 Hz for the Parametric EQ's frequency. kLevel is the
// pedal's input level (64 = unity).
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/settings/preset_file.h"
#include "audio/audio_settings.h"
#include "audio/effect_chain.h"
#include "effects/pedalboard.h"

namespace ampliro {
namespace {

constexpr int32_t kLevel = -1;
constexpr int32_t kSampleRateIndex44100 = 3;

// Graphic EQ bands by their centre frequency.
constexpr int32_t Band(int32_t index) {
    return GraphicEqPedal::kFirstBandSliderId + index;
}
constexpr int32_t k100Hz = Band(0), k200Hz = Band(1), k400Hz = Band(2), k800Hz = Band(3),
                  k1600Hz = Band(4), k3200Hz = Band(5), k6400Hz = Band(6);

using Od = OverdrivePedal;
using Ch = ChorusPedal;
using Dl = DelayPedal;
using Rv = ReverbPedal;
using Tr = TremoloPedal;

struct Setting {
    const char* preset;
    int32_t pedal;
    int32_t control;
    int32_t value;
};

// clang-format off
constexpr Setting kSettings[] = {
    // preset          pedal              control               value
    {"Clean",          kKeyGraphicEq,     k100Hz,                  1},
    {"Clean",          kKeyGraphicEq,     k800Hz,                 -2},
    {"Clean",          kKeyGraphicEq,     k3200Hz,                 2},
    {"Clean",          kKeyReverb,        Rv::kTimeKnob,          40},
    {"Clean",          kKeyReverb,        Rv::kDecayKnob,         20},
    {"Clean",          kKeyReverb,        Rv::kMixKnob,           14},

    {"Crunch",         kKeyOverdrive,     Od::kDriveKnob,         26},
    {"Crunch",         kKeyOverdrive,     Od::kSaturationKnob,    22},
    {"Crunch",         kKeyOverdrive,     Od::kBassKnob,          32},
    {"Crunch",         kKeyOverdrive,     Od::kMiddleKnob,        38},
    {"Crunch",         kKeyOverdrive,     Od::kTrebleKnob,        34},
    {"Crunch",         kKeyReverb,        Rv::kTimeKnob,          40},
    {"Crunch",         kKeyReverb,        Rv::kDecayKnob,         18},
    {"Crunch",         kKeyReverb,        Rv::kMixKnob,           10},

    {"Lead",           kKeyOverdrive,     Od::kDriveKnob,         48},
    {"Lead",           kKeyOverdrive,     Od::kSaturationKnob,    44},
    {"Lead",           kKeyOverdrive,     Od::kBassKnob,          30},
    {"Lead",           kKeyOverdrive,     Od::kMiddleKnob,        46},
    {"Lead",           kKeyOverdrive,     Od::kTrebleKnob,        36},
    {"Lead",           kKeyDelay,         Dl::kDelayKnob,        380},
    {"Lead",           kKeyDelay,         Dl::kDecayKnob,         20},
    {"Lead",           kKeyDelay,         Dl::kCutoffKnob,        40},
    {"Lead",           kKeyDelay,         Dl::kMixKnob,           18},
    {"Lead",           kKeyReverb,        Rv::kTimeKnob,          80},
    {"Lead",           kKeyReverb,        Rv::kDecayKnob,         30},
    {"Lead",           kKeyReverb,        Rv::kMixKnob,           14},

    {"Metal",          kKeyOverdrive,     Od::kDriveKnob,         62},
    {"Metal",          kKeyOverdrive,     Od::kSaturationKnob,    58},
    {"Metal",          kKeyOverdrive,     Od::kBassKnob,          44},
    {"Metal",          kKeyOverdrive,     Od::kMiddleKnob,        18},
    {"Metal",          kKeyOverdrive,     Od::kTrebleKnob,        42},
    {"Metal",          kKeyGraphicEq,     k100Hz,                  3},
    {"Metal",          kKeyGraphicEq,     k200Hz,                  1},
    {"Metal",          kKeyGraphicEq,     k400Hz,                 -2},
    {"Metal",          kKeyGraphicEq,     k800Hz,                 -5},
    {"Metal",          kKeyGraphicEq,     k1600Hz,                -2},
    {"Metal",          kKeyGraphicEq,     k3200Hz,                 3},
    {"Metal",          kKeyGraphicEq,     k6400Hz,                 1},

    {"Ambient",        kKeyChorus,        Ch::kSpeedKnob,          4},
    {"Ambient",        kKeyChorus,        Ch::kDepthKnob,         36},
    {"Ambient",        kKeyChorus,        Ch::kFeedbackKnob,      12},
    {"Ambient",        kKeyChorus,        Ch::kMixKnob,           24},
    {"Ambient",        kKeyDelay,         Dl::kDelayKnob,        620},
    {"Ambient",        kKeyDelay,         Dl::kDecayKnob,         44},
    {"Ambient",        kKeyDelay,         Dl::kCutoffKnob,        28},
    {"Ambient",        kKeyDelay,         Dl::kMixKnob,           30},
    {"Ambient",        kKeyReverb,        Rv::kTimeKnob,         220},
    {"Ambient",        kKeyReverb,        Rv::kDecayKnob,         54},
    {"Ambient",        kKeyReverb,        Rv::kMixKnob,           40},

    {"Slapback",       kKeyDelay,         Dl::kDelayKnob,        110},
    {"Slapback",       kKeyDelay,         Dl::kDecayKnob,          4},
    {"Slapback",       kKeyDelay,         Dl::kCutoffKnob,        44},
    {"Slapback",       kKeyDelay,         Dl::kMixKnob,           28},
    {"Slapback",       kKeyOverdrive,     Od::kDriveKnob,         12},
    {"Slapback",       kKeyOverdrive,     Od::kSaturationKnob,    10},

    {"Chorus Clean",   kKeyChorus,        Ch::kSpeedKnob,          8},
    {"Chorus Clean",   kKeyChorus,        Ch::kDepthKnob,         40},
    {"Chorus Clean",   kKeyChorus,        Ch::kFeedbackKnob,       8},
    {"Chorus Clean",   kKeyChorus,        Ch::kMixKnob,           32},
    {"Chorus Clean",   kKeyReverb,        Rv::kTimeKnob,          60},
    {"Chorus Clean",   kKeyReverb,        Rv::kDecayKnob,         24},
    {"Chorus Clean",   kKeyReverb,        Rv::kMixKnob,           16},

    {"Tremolo Surf",   kKeyTremolo,       Tr::kSpeedKnob,         40},
    {"Tremolo Surf",   kKeyTremolo,       Tr::kDepthKnob,         44},
    {"Tremolo Surf",   kKeyReverb,        Rv::kTimeKnob,         120},
    {"Tremolo Surf",   kKeyReverb,        Rv::kDecayKnob,         46},
    {"Tremolo Surf",   kKeyReverb,        Rv::kMixKnob,           30},
    {"Tremolo Surf",   kKeyGraphicEq,     k3200Hz,                 3},
    {"Tremolo Surf",   kKeyGraphicEq,     k6400Hz,                 2},
};
// clang-format on

void Apply(Pedalboard& board, const Setting& setting) {
    Effect* pedal = board.ByKey(setting.pedal);
    pedal->enabled.store(1, std::memory_order_relaxed);
    if (setting.control == kLevel) {
        pedal->level.store(setting.value, std::memory_order_relaxed);
    } else if (setting.pedal == kKeyGraphicEq) {
        board.graphicEq.SetBandGain(setting.control - GraphicEqPedal::kFirstBandSliderId,
                                    setting.value);
    } else {
        pedal->OnControl(setting.control, setting.value);
    }
}

// Writes one preset: a fresh board with the defaults, then its rows. The
// chain keeps pointing at the board, which therefore lives to the end.
bool WritePreset(const std::string& name, const std::string& folder) {
    static std::vector<std::unique_ptr<Pedalboard>> boards;
    boards.push_back(std::make_unique<Pedalboard>());
    Pedalboard* board = boards.back().get();
    SetChainEffects(board->AllByKey());
    RestoreDefaultOrder();
    ApplySampleRate(kSampleRateIndex44100);
    for (const Setting& setting : kSettings) {
        if (name == setting.preset) Apply(*board, setting);
    }
    const std::string path = folder + "/" + name + ".preset";
    int error = 0;
    if (SavePreset(path.c_str(), &error)) return true;
    std::fprintf(stderr, "ampliro-factory-presets: %s: %s\n", path.c_str(), std::strerror(error));
    return false;
}

}  // namespace
}  // namespace ampliro

int main(int argc, char** argv) {
    using namespace ampliro;
    if (argc != 2) {
        std::fprintf(stderr, "usage: ampliro-factory-presets FOLDER\n");
        return 2;
    }
    std::set<std::string> names;
    for (const Setting& setting : kSettings) names.insert(setting.preset);
    for (const std::string& name : names) {
        if (!WritePreset(name, argv[1])) return 1;
    }
    return 0;
}
