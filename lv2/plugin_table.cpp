#include "lv2/plugin_table.h"

#include "lv2/pedals/pedal_plugins.h"

namespace ampliro::lv2 {

namespace {

// In the pedals' stable key order.
const PluginInfo* const kPlugins[] = {
    &kOverdrivePlugin, &kReverbPlugin,       &kChorusPlugin,    &kPitchShifterPlugin, &kDelayPlugin,
    &kPhaserPlugin,    &kParametricEqPlugin, &kGraphicEqPlugin, &kTremoloPlugin,
};

}  // namespace

std::span<const PluginInfo* const> AllPlugins() {
    return kPlugins;
}

const PluginInfo* FindPlugin(const std::string& uri) {
    for (const PluginInfo* info : kPlugins) {
        if (PluginUri(*info) == uri) return info;
    }
    return nullptr;
}

std::string PluginUri(const PluginInfo& info) {
    return std::string(kProjectUri) + info.slug;
}

uint32_t PortCount(const PluginInfo& info) {
    return kFirstControlPort + static_cast<uint32_t>(info.controls.size()) +
           (info.blockControl >= 0 ? 1 : 0);
}

}  // namespace ampliro::lv2
