// The bundle's Turtle files, written from the plugin table: manifest.ttl
// names each plugin and the library, the plugins' own file describes their
// ports.
#pragma once

#include <ostream>
#include <string>

namespace ampliro::lv2 {

inline constexpr const char* kPluginsTtl = "ampliro.ttl";

void WriteManifest(std::ostream& out, const std::string& binary);
void WritePlugins(std::ostream& out);

}  // namespace ampliro::lv2
