// Each plugin, run by a real LV2 host (lv2apply) on a 32-bit float WAV,
// gives ampliro-render's output for the same pedal alone at the same
// settings, sample for sample: out x 32768 is that 16-bit sample exactly.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <cmath>
#include <string>
#include <vector>

#include "audio/audio_settings.h"
#include "lv2_harness.h"

namespace ampliro::lv2test {
namespace {

struct Case {
    const char* slug;
    int rate;
    Settings settings;
    int latency = kDefaultLatency;  // ampliro-render's, which sets its block size
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.slug << " at " << c.rate << " Hz";
    for (const auto& [symbol, value] : c.settings) *os << " " << symbol << "=" << value;
}

int32_t RateIndex(int rate) {
    for (int32_t i = 0; i < kSampleRateCount; ++i) {
        if (SampleRateForIndex(i) == rate) return i;
    }
    return -1;
}

class RenderMatchTest : public ::testing::TestWithParam<Case> {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("ampliro_lv2_" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

TEST_P(RenderMatchTest, HostOutputTimes32768IsTheRenderedPedal) {
    const Case& c = GetParam();
    const bool pitch = std::string(c.slug) == "pitch-shifter";
    // The Pitch Shifter plugin gathers blocks of the size its block control
    // gives, and plays them one block later: at the renderer's block size
    // its output is the renderer's, delayed by that block.
    const int32_t block = static_cast<int32_t>(BufferSizeFor(RateIndex(c.rate), c.latency) / 2);
    ASSERT_GT(block, 0);
    const int delay = pitch ? block : 0;

    const int count = c.rate * 3 / 2;
    const std::vector<int16_t> input = GuitarSignal(c.rate, count);
    ASSERT_TRUE(WritePcm16(dir_ / "in16.wav", c.rate, input));
    ASSERT_TRUE(WriteFloat(dir_ / "in32.wav", c.rate, input));
    ASSERT_TRUE(WriteSoloPreset(dir_ / "solo.preset", c.slug, c.settings));

    const ToolRun render =
        RunTool(AMPLIRO_RENDER_TOOL, {"--preset", (dir_ / "solo.preset").string(), "--latency",
                                      std::to_string(c.latency), (dir_ / "in16.wav").string(),
                                      (dir_ / "rendered.wav").string()});
    ASSERT_EQ(render.exitCode, 0) << render.output;
    const std::vector<int16_t> rendered = ReadPcm16(dir_ / "rendered.wav");
    ASSERT_EQ(rendered.size(), input.size());
    ASSERT_NE(rendered, input) << "the preset did not switch the pedal on";

    std::vector<std::string> args = {"-i", (dir_ / "in32.wav").string(), "-o",
                                     (dir_ / "hosted.wav").string()};
    for (const auto& [symbol, value] : c.settings) {
        args.insert(args.end(), {"-c", symbol, std::to_string(value)});
    }
    if (pitch) args.insert(args.end(), {"-c", "block", std::to_string(block)});
    args.push_back(PluginUri(c.slug));
    const ToolRun host = RunTool("lv2apply", args);
    ASSERT_EQ(host.exitCode, 0) << host.output;
    int format = 0;
    const std::vector<float> hosted = ReadFloat(dir_ / "hosted.wav", &format);
    EXPECT_EQ(format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    ASSERT_EQ(hosted.size(), input.size());

    for (int i = 0; i < delay; ++i) ASSERT_EQ(hosted[i], 0.0f) << "sample " << i;
    int compared = 0;
    for (int i = delay; i < count; ++i) {
        const float scaled = hosted[i] * 32768.0f;
        ASSERT_EQ(scaled, std::nearbyint(scaled)) << "sample " << i << " is not a 16-bit value";
        ASSERT_EQ(static_cast<int32_t>(scaled), rendered[i - delay]) << "sample " << i;
        ++compared;
    }
    EXPECT_GE(compared, count - 4096);
}

std::vector<Case> Cases() {
    return {
        {"overdrive", 44100, {}},
        {"overdrive", 44100, {{"drive", 64}, {"saturation", 64}, {"bass", 64}, {"middle", 0}}},
        {"overdrive", 11025, {{"drive", 0}, {"saturation", 0}, {"bass", 0}, {"treble", 64}}},
        {"parametric-eq", 44100, {}},
        {"parametric-eq",
         44100,
         {{"frequency", 200}, {"resonance", 64}, {"gain", 64}, {"mix", 64}}},
        {"parametric-eq",
         48000,
         {{"frequency", 5000}, {"resonance", 0}, {"level", 64}, {"mix", 16}}},
        {"graphic-eq", 44100, {}},
        {"graphic-eq",
         44100,
         {{"level", 64}, {"band_100", 10}, {"band_1600", 10}, {"band_6400", -10}}},
        {"graphic-eq", 11025, {{"band_6400", 10}, {"band_200", -7}}},
        {"chorus", 44100, {}},
        {"chorus", 44100, {{"speed", 64}, {"depth", 64}, {"feedback", 64}, {"mix", 64}}},
        {"chorus", 22050, {{"depth", 0}, {"feedback", 0}, {"speed", 1}}},
        {"phaser", 44100, {}},
        {"phaser", 44100, {{"rate", 64}, {"depth", 64}, {"feedback", 64}, {"mix", 64}}},
        {"phaser", 22050, {}},
        {"phaser", 48000, {{"rate", 1}, {"level", 64}}},
        {"delay", 44100, {}},
        {"delay", 44100, {{"delay", 120}, {"decay", 64}, {"cutoff", 20}, {"mix", 64}}},
        {"delay", 11025, {{"delay", 1}, {"decay", 0}, {"cutoff", 0}}},
        {"delay", 96000, {{"delay", 3000}, {"level", 64}}},
        {"reverb", 44100, {}},
        {"reverb",
         44100,
         {{"delay", 250}, {"decay", 64}, {"filter_lp", 64}, {"filter_hp", 0}, {"mix", 64}}},
        {"reverb", 22050, {{"delay", 1}, {"decay", 0}, {"filter_hp", 64}}},
        {"tremolo", 44100, {}},
        {"tremolo", 44100, {{"rate", 64}, {"depth", 64}, {"level", 64}}},
        {"tremolo", 48000, {{"rate", 1}, {"depth", 0}}},
        {"pitch-shifter", 44100, {}},
        {"pitch-shifter", 44100, {{"semitones", -12}, {"mix", 64}, {"level", 64}}, 5},
        {"pitch-shifter", 22050, {{"semitones", 12}, {"mix", 40}}, 30},
    };
}

INSTANTIATE_TEST_SUITE_P(EveryPedal, RenderMatchTest, ::testing::ValuesIn(Cases()));

}  // namespace
}  // namespace ampliro::lv2test
