#include "lv2/plugin_specs.h"

#include "lv2/pedals/pedal_plugins.h"

namespace ampliro::lv2 {

namespace {

// In the pedals' stable key order.
const PluginSpec* const kPlugins[] = {
    &kOverdrivePlugin, &kReverbPlugin,       &kChorusPlugin,    &kPitchShifterPlugin, &kDelayPlugin,
    &kPhaserPlugin,    &kParametricEqPlugin, &kGraphicEqPlugin, &kTremoloPlugin,
};

}  // namespace

std::span<const PluginSpec* const> AllPlugins() {
    return kPlugins;
}

const PluginSpec* FindPlugin(const std::string& uri) {
    for (const PluginSpec* spec : kPlugins) {
        if (PluginUri(*spec) == uri) return spec;
    }
    return nullptr;
}

std::string PluginUri(const PluginSpec& spec) {
    return std::string(kProjectUri) + spec.slug;
}

uint32_t PortCount(const PluginSpec& spec) {
    return kFirstControlPort + static_cast<uint32_t>(spec.controls.size()) +
           (spec.blockControl >= 0 ? 1 : 0);
}

}  // namespace ampliro::lv2
