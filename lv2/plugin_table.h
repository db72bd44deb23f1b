// The nine pedals as LV2 plugins, described as data: each plugin's URI, name,
// class and control ports with the knobs' ranges and defaults. The plugin
// library and the generator of the bundle's Turtle files read the same
// tables, so the ports a host sees are the ports the code runs.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "lv2/pedal_dsp.h"

namespace ampliro::lv2 {

inline constexpr const char* kProjectUri = "https://ampliro.example/plugins/";

enum class PortUnit { kNone, kHz, kMilliseconds, kDecibels, kSemitones, kFrames };

struct ControlInfo {
    const char* symbol;
    const char* name;
    int32_t minimum;
    int32_t maximum;
    int32_t initial;
    PortUnit unit = PortUnit::kNone;
};

struct PluginInfo {
    const char* slug;      // the last part of the URI, and the pedal's id in tests
    const char* name;      // what hosts list
    const char* lv2Class;  // lv2: class, such as "DistortionPlugin"
    std::span<const ControlInfo> controls;
    std::unique_ptr<PedalDsp> (*create)();
    // The Pitch Shifter's SoundTouch output depends on how its input is cut
    // into blocks, so that plugin gathers blocks of a size set by one of its
    // controls (its index here; -1 elsewhere) and reports that block as its
    // latency on one more, output, port. Its sound is then the same whatever
    // block sizes the host runs it with.
    int32_t blockControl = -1;
};

// Port indices: audio in, audio out, the controls in table order, then the
// latency output of the plugins that have one.
inline constexpr uint32_t kAudioInPort = 0;
inline constexpr uint32_t kAudioOutPort = 1;
inline constexpr uint32_t kFirstControlPort = 2;
inline constexpr const char* kLatencySymbol = "latency";

std::span<const PluginInfo* const> AllPlugins();
const PluginInfo* FindPlugin(const std::string& uri);
std::string PluginUri(const PluginInfo& info);
uint32_t PortCount(const PluginInfo& info);

}  // namespace ampliro::lv2
