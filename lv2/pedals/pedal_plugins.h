// The pedals' plugins, one file each beside this one.
#pragma once

#include "lv2/plugin_specs.h"

namespace ampliro::lv2 {

extern const PluginSpec kOverdrivePlugin;
extern const PluginSpec kReverbPlugin;
extern const PluginSpec kChorusPlugin;
extern const PluginSpec kPitchShifterPlugin;
extern const PluginSpec kDelayPlugin;
extern const PluginSpec kPhaserPlugin;
extern const PluginSpec kParametricEqPlugin;
extern const PluginSpec kGraphicEqPlugin;
extern const PluginSpec kTremoloPlugin;

}  // namespace ampliro::lv2
