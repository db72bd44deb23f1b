#include "lv2/ttl_writer.h"

#include "lv2/plugin_table.h"

namespace ampliro::lv2 {
namespace {

void WritePrefixes(std::ostream& out) {
    out << "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
           "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
           "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
           "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n\n";
}

const char* UnitName(PortUnit unit) {
    switch (unit) {
        case PortUnit::kHz:
            return "hz";
        case PortUnit::kMilliseconds:
            return "ms";
        case PortUnit::kDecibels:
            return "db";
        case PortUnit::kSemitones:
            return "semitone12TET";
        case PortUnit::kFrames:
            return "frame";
        case PortUnit::kNone:
            break;
    }
    return nullptr;
}

void WriteAudioPort(std::ostream& out, uint32_t index, bool input) {
    out << "        a lv2:" << (input ? "Input" : "Output") << "Port , lv2:AudioPort ;\n"
        << "        lv2:index " << index << " ;\n"
        << "        lv2:symbol \"" << (input ? "in" : "out") << "\" ;\n"
        << "        lv2:name \"" << (input ? "In" : "Out") << "\"\n";
}

void WriteControlPort(std::ostream& out, uint32_t index, const ControlInfo& c) {
    out << "        a lv2:InputPort , lv2:ControlPort ;\n"
        << "        lv2:index " << index << " ;\n"
        << "        lv2:symbol \"" << c.symbol << "\" ;\n"
        << "        lv2:name \"" << c.name << "\" ;\n"
        << "        lv2:default " << c.initial << " ;\n"
        << "        lv2:minimum " << c.minimum << " ;\n"
        << "        lv2:maximum " << c.maximum << " ;\n";
    if (const char* unit = UnitName(c.unit)) out << "        units:unit units:" << unit << " ;\n";
    out << "        lv2:portProperty lv2:integer\n";
}

void WriteLatencyPort(std::ostream& out, uint32_t index) {
    out << "        a lv2:OutputPort , lv2:ControlPort ;\n"
        << "        lv2:index " << index << " ;\n"
        << "        lv2:symbol \"" << kLatencySymbol << "\" ;\n"
        << "        lv2:name \"Latency\" ;\n"
        << "        lv2:designation lv2:latency ;\n"
        << "        units:unit units:frame ;\n"
        << "        lv2:portProperty lv2:reportsLatency , lv2:integer\n";
}

void WritePlugin(std::ostream& out, const PluginInfo& info) {
    out << "<" << PluginUri(info) << ">\n"
        << "    a lv2:Plugin , lv2:" << info.lv2Class << " ;\n"
        << "    doap:name \"" << info.name << "\" ;\n";
    // SoundTouch allocates when the pitch changes, so only the plugins
    // without one promise to run in hard real time.
    if (info.blockControl < 0) out << "    lv2:optionalFeature lv2:hardRTCapable ;\n";
    out << "    lv2:port [\n";
    WriteAudioPort(out, kAudioInPort, true);
    out << "    ] , [\n";
    WriteAudioPort(out, kAudioOutPort, false);
    uint32_t index = kFirstControlPort;
    for (const ControlInfo& c : info.controls) {
        out << "    ] , [\n";
        WriteControlPort(out, index++, c);
    }
    if (info.blockControl >= 0) {
        out << "    ] , [\n";
        WriteLatencyPort(out, index);
    }
    out << "    ] .\n\n";
}

}  // namespace

void WriteManifest(std::ostream& out, const std::string& binary) {
    WritePrefixes(out);
    for (const PluginInfo* info : AllPlugins()) {
        out << "<" << PluginUri(*info) << ">\n"
            << "    a lv2:Plugin ;\n"
            << "    lv2:binary <" << binary << "> ;\n"
            << "    rdfs:seeAlso <" << kPluginsTtl << "> .\n\n";
    }
}

void WritePlugins(std::ostream& out) {
    WritePrefixes(out);
    for (const PluginInfo* info : AllPlugins()) WritePlugin(out, *info);
}

}  // namespace ampliro::lv2
