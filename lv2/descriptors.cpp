// The bundle's entry point: one LV2 descriptor per pedal, in the order of the
// plugin table. Only lv2_descriptor leaves the library.
#include <lv2/core/lv2.h>

#include <memory>
#include <string>
#include <vector>

#include "lv2/plugin_instance.h"
#include "lv2/plugin_table.h"

namespace ampliro::lv2 {
namespace {

struct Descriptors {
    std::vector<std::string> uris;
    std::vector<LV2_Descriptor> table;
};

const Descriptors& AllDescriptors();

const PluginInfo& PortOf(const LV2_Descriptor* descriptor) {
    return *AllPlugins()[static_cast<size_t>(descriptor - AllDescriptors().table.data())];
}

LV2_Handle Instantiate(const LV2_Descriptor* descriptor, double rate, const char*,
                       const LV2_Feature* const*) {
    return PluginInstance::Create(PortOf(descriptor), rate).release();
}

PluginInstance* Self(LV2_Handle handle) {
    return static_cast<PluginInstance*>(handle);
}

void ConnectPort(LV2_Handle handle, uint32_t port, void* data) {
    Self(handle)->Connect(port, data);
}

void Activate(LV2_Handle handle) {
    Self(handle)->Activate();
}

void Run(LV2_Handle handle, uint32_t frames) {
    Self(handle)->Run(frames);
}

void Cleanup(LV2_Handle handle) {
    delete Self(handle);
}

const void* ExtensionData(const char*) {
    return nullptr;
}

const Descriptors& AllDescriptors() {
    static const Descriptors descriptors = [] {
        Descriptors d;
        const auto plugins = AllPlugins();
        d.uris.reserve(plugins.size());
        for (const PluginInfo* info : plugins) d.uris.push_back(PluginUri(*info));
        for (const std::string& uri : d.uris) {
            d.table.push_back(LV2_Descriptor{uri.c_str(), Instantiate, ConnectPort, Activate, Run,
                                             nullptr, Cleanup, ExtensionData});
        }
        return d;
    }();
    return descriptors;
}

}  // namespace
}  // namespace ampliro::lv2

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
    const auto& table = ampliro::lv2::AllDescriptors().table;
    return index < table.size() ? &table[index] : nullptr;
}
