// A real host's view of the bundle: lv2ls finds the nine plugins and lv2info
// lists each one's class, mono audio ports and the controls with the knobs'
// ranges and defaults.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "lv2_harness.h"

namespace ampliro::lv2test {
namespace {

struct Port {
    std::string symbol;
    std::string name;
    float minimum = 0;
    float maximum = 0;
    float initial = 0;
};

struct Expected {
    const char* slug;
    const char* name;
    const char* lv2Class;
    std::vector<Port> controls;
};

void PrintTo(const Expected& e, std::ostream* os) {
    *os << e.slug;
}

Port Knob(const char* symbol, const char* name, float minimum, float maximum, float initial) {
    return {symbol, name, minimum, maximum, initial};
}

const std::vector<Expected>& ExpectedPlugins() {
    static const Port level = Knob("level", "Level", 0, 64, 48);
    static const Port mix = Knob("mix", "Mix", 0, 64, 32);
    static const std::vector<Expected> plugins = {
        {"overdrive",
         "Ampliro Overdrive",
         "Distortion Plugin",
         {Knob("drive", "Drive", 0, 64, 32), Knob("saturation", "Saturation", 0, 64, 32),
          Knob("bass", "Bass", 0, 64, 32), Knob("middle", "Middle", 0, 64, 32),
          Knob("treble", "Treble", 0, 64, 32)}},
        {"reverb",
         "Ampliro Digital Reverb",
         "Reverb Plugin",
         {level, Knob("delay", "Delay", 1, 250, 32), Knob("decay", "Decay", 0, 64, 32),
          Knob("filter_lp", "Filter LP", 0, 64, 32), Knob("filter_hp", "Filter HP", 0, 64, 32),
          mix}},
        {"chorus",
         "Ampliro Chorus",
         "Chorus Plugin",
         {level, Knob("speed", "Speed", 1, 64, 16), Knob("depth", "Depth", 0, 64, 32),
          Knob("feedback", "Feedback", 0, 64, 32), mix}},
        {"pitch-shifter",
         "Ampliro Pitch Shifter",
         "Pitch Shifter Plugin",
         {level, Knob("semitones", "Semitones", -12, 12, 3), mix,
          Knob("block", "Block", 16, 4800, 448)}},
        {"delay",
         "Ampliro Digital Delay",
         "Delay Plugin",
         {level, Knob("delay", "Delay", 1, 3000, 500), Knob("decay", "Decay", 0, 64, 32),
          Knob("cutoff", "Cutoff", 0, 64, 64), mix}},
        {"phaser",
         "Ampliro Phase Shifter",
         "Phaser Plugin",
         {level, Knob("rate", "Rate", 1, 64, 32), Knob("depth", "Depth", 0, 64, 32),
          Knob("feedback", "Feedback", 0, 64, 32), mix}},
        {"parametric-eq",
         "Ampliro Parametric EQ",
         "Parametric EQ Plugin",
         {level, Knob("frequency", "Frequency", 200, 5000, 2600),
          Knob("resonance", "Resonance", 0, 64, 32), Knob("gain", "Gain", 0, 64, 0), mix}},
        {"graphic-eq",
         "Ampliro Graphic EQ",
         "Multiband EQ Plugin",
         {level, Knob("band_100", "100 Hz", -10, 10, 0), Knob("band_200", "200 Hz", -10, 10, 0),
          Knob("band_400", "400 Hz", -10, 10, 0), Knob("band_800", "800 Hz", -10, 10, 0),
          Knob("band_1600", "1.6 kHz", -10, 10, 0), Knob("band_3200", "3.2 kHz", -10, 10, 0),
          Knob("band_6400", "6.4 kHz", -10, 10, 0)}},
        {"tremolo",
         "Ampliro Tremolo",
         "Modulator Plugin",
         {level, Knob("rate", "Rate", 1, 64, 32), Knob("depth", "Depth", 0, 64, 32)}},
    };
    return plugins;
}

// lv2info's description of one port: the lines from "Port N:" to the next.
struct Listed {
    std::string header;  // the plugin's lines before the first port
    std::vector<std::string> ports;
};

Listed Split(const std::string& text) {
    Listed listed;
    std::istringstream lines(text);
    std::string line;
    std::string* current = &listed.header;
    while (std::getline(lines, line)) {
        if (line.rfind("\tPort ", 0) == 0) {
            listed.ports.emplace_back();
            current = &listed.ports.back();
        }
        *current += line + "\n";
    }
    return listed;
}

std::string Field(const std::string& block, const std::string& label) {
    const size_t at = block.find("\t" + label + ":");
    if (at == std::string::npos) return "";
    const size_t start = block.find_first_not_of(' ', at + label.size() + 2);
    return block.substr(start, block.find('\n', start) - start);
}

class BundleListingTest : public ::testing::TestWithParam<Expected> {};

TEST(BundleListing, LvLsFindsTheNinePedals) {
    const ToolRun run = RunTool("lv2ls", {});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    int ours = 0;
    std::istringstream lines(run.output);
    std::string line;
    while (std::getline(lines, line)) ours += line.rfind(PluginUri(""), 0) == 0;
    EXPECT_EQ(ours, 9) << run.output;
    for (const Expected& plugin : ExpectedPlugins()) {
        EXPECT_NE(run.output.find(PluginUri(plugin.slug) + "\n"), std::string::npos) << plugin.slug;
    }
}

TEST_P(BundleListingTest, LvInfoListsMonoAudioAndTheKnobs) {
    const Expected& plugin = GetParam();
    const ToolRun run = RunTool("lv2info", {PluginUri(plugin.slug)});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const Listed listed = Split(run.output);
    EXPECT_EQ(Field(listed.header, "Name"), plugin.name);
    EXPECT_EQ(Field(listed.header, "Class"), plugin.lv2Class);
    EXPECT_EQ(Field(listed.header, "Presets"), "");

    const bool latency = plugin.slug == std::string("pitch-shifter");
    ASSERT_EQ(listed.ports.size(), 2 + plugin.controls.size() + (latency ? 1 : 0)) << run.output;
    EXPECT_NE(listed.ports[0].find("#AudioPort"), std::string::npos);
    EXPECT_NE(listed.ports[0].find("#InputPort"), std::string::npos);
    EXPECT_EQ(Field(listed.ports[0], "Symbol"), "in");
    EXPECT_NE(listed.ports[1].find("#AudioPort"), std::string::npos);
    EXPECT_NE(listed.ports[1].find("#OutputPort"), std::string::npos);
    EXPECT_EQ(Field(listed.ports[1], "Symbol"), "out");
    for (size_t i = 0; i < plugin.controls.size(); ++i) {
        const std::string& block = listed.ports[2 + i];
        const Port& want = plugin.controls[i];
        SCOPED_TRACE(block);
        EXPECT_NE(block.find("#ControlPort"), std::string::npos);
        EXPECT_NE(block.find("#InputPort"), std::string::npos);
        EXPECT_NE(block.find("#integer"), std::string::npos);
        EXPECT_EQ(Field(block, "Symbol"), want.symbol);
        EXPECT_EQ(Field(block, "Name"), want.name);
        EXPECT_EQ(std::stof(Field(block, "Minimum")), want.minimum);
        EXPECT_EQ(std::stof(Field(block, "Maximum")), want.maximum);
        EXPECT_EQ(std::stof(Field(block, "Default")), want.initial);
    }
    if (latency) {
        const std::string& block = listed.ports.back();
        EXPECT_EQ(Field(block, "Symbol"), "latency");
        EXPECT_NE(block.find("#OutputPort"), std::string::npos);
        EXPECT_NE(block.find("#reportsLatency"), std::string::npos);
        EXPECT_EQ(Field(listed.header, "Has latency").rfind("yes", 0), 0u);
    } else {
        EXPECT_EQ(Field(listed.header, "Has latency"), "no");
    }
}

INSTANTIATE_TEST_SUITE_P(EveryPedal, BundleListingTest, ::testing::ValuesIn(ExpectedPlugins()),
                         [](const auto& info) {
                             std::string name = info.param.slug;
                             for (char& ch : name) ch = ch == '-' ? '_' : ch;
                             return name;
                         });

}  // namespace
}  // namespace ampliro::lv2test
