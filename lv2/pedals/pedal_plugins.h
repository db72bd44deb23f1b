// The pedals' plugins, one file each beside this one.
#pragma once

#include "lv2/plugin_table.h"

namespace ampliro::lv2 {

extern const PluginInfo kOverdrivePlugin;
extern const PluginInfo kReverbPlugin;
extern const PluginInfo kChorusPlugin;
extern const PluginInfo kPitchShifterPlugin;
extern const PluginInfo kDelayPlugin;
extern const PluginInfo kPhaserPlugin;
extern const PluginInfo kParametricEqPlugin;
extern const PluginInfo kGraphicEqPlugin;
extern const PluginInfo kTremoloPlugin;

}  // namespace ampliro::lv2
