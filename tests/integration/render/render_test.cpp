#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/media_files.h"
#include "app/settings/preset_file.h"
#include "audio/audio_settings.h"
#include "audio/effect_chain.h"
#include "audio/processing_pass.h"
#include "effects/pedalboard.h"

namespace ampliro {
namespace {

namespace fs = std::filesystem;

struct Audio {
    int rate = 0;
    int channels = 0;
    int format = 0;
    std::vector<int16_t> samples;
};

bool WriteAudio(const fs::path& path, int rate, int channels, const std::vector<int16_t>& s) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!f) return false;
    sf_write_short(f, s.data(), static_cast<sf_count_t>(s.size()));
    return sf_close(f) == 0;
}

Audio ReadAudio(const fs::path& path) {
    Audio a;
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (!f) return a;
    a.rate = info.samplerate;
    a.channels = info.channels;
    a.format = info.format;
    a.samples.resize(static_cast<size_t>(info.frames * info.channels));
    sf_read_short(f, a.samples.data(), static_cast<sf_count_t>(a.samples.size()));
    sf_close(f);
    return a;
}

struct ToolRun {
    int exitCode;
    std::string errors;
};

ToolRun Render(const std::string& args, const fs::path& dir) {
    const fs::path log = dir / "stderr.txt";
    const std::string command =
        std::string(AMPLIRO_RENDER_TOOL) + " " + args + " 2>" + log.string();
    const int status = std::system(command.c_str());
    std::string text;
    if (std::FILE* f = std::fopen(log.c_str(), "r")) {
        char buf[512];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
        std::fclose(f);
    }
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text};
}

class RenderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("ampliro_render_" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string P(const char* name) const { return (dir_ / name).string(); }
    fs::path dir_;
};

std::vector<int16_t> TestSignal(int count) {
    std::vector<int16_t> s(count);
    uint32_t seed = 7;
    for (int i = 0; i < count; ++i) {
        seed = seed * 1664525u + 1013904223u;
        s[i] = static_cast<int16_t>(12000 * std::sin(i * 0.031) +
                                    static_cast<int16_t>(seed >> 16) / 8);
    }
    s[10] = 32767;
    s[11] = -32768;
    return s;
}

TEST_F(RenderTest, WithoutPresetTheOutputIsTheInputBitForBit) {
    const std::vector<int16_t> in = TestSignal(44100 + 123);  // ends in a partial block
    ASSERT_TRUE(WriteAudio(P("in.wav"), 44100, 1, in));
    const ToolRun run = Render(P("in.wav") + " " + P("out.wav"), dir_);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    const Audio out = ReadAudio(P("out.wav"));
    EXPECT_EQ(out.rate, 44100);
    EXPECT_EQ(out.channels, 1);
    EXPECT_EQ(out.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    EXPECT_EQ(out.samples, in);
}

TEST_F(RenderTest, StereoIsMixedToMono) {
    std::vector<int16_t> stereo;
    for (int i = 0; i < 1000; ++i) {
        stereo.push_back(static_cast<int16_t>(i * 10));
        stereo.push_back(-3000);
    }
    ASSERT_TRUE(WriteAudio(P("st.wav"), 22050, 2, stereo));
    const ToolRun run = Render("--latency 3 " + P("st.wav") + " " + P("mono.wav"), dir_);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    const Audio out = ReadAudio(P("mono.wav"));
    ASSERT_EQ(out.channels, 1);
    EXPECT_EQ(out.rate, 22050);
    ASSERT_EQ(out.samples.size(), 1000u);
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(out.samples[i], (i * 10 - 3000) / 2) << i;
}

TEST_F(RenderTest, FloatFilesAreScaledToTheirPeak) {
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* f = sf_open(P("float.wav").c_str(), SFM_WRITE, &info);
    ASSERT_NE(f, nullptr);
    const float in[4] = {0.25f, -0.125f, 0.0f, -0.25f};
    sf_write_float(f, in, 4);
    sf_close(f);
    const ToolRun run = Render(P("float.wav") + " " + P("out.wav"), dir_);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    const Audio out = ReadAudio(P("out.wav"));
    // libsndfile maps the peak one step below full scale; unscaled, 0.25
    // would have come out as 8192.
    EXPECT_EQ(out.samples, (std::vector<int16_t>{32766, -16383, 0, -32766}));
}

TEST_F(RenderTest, RecordingThroughEveryPedalIsSane) {
    // A real recording: synthetic speech, a broadband signal with pauses.
    const std::string speech = P("speech.wav");
    const std::string say = "espeak-ng -s 150 -w " + speech +
                            " 'The quick brown fox jumps over the lazy dog, twice over.'";
    ASSERT_EQ(std::system(say.c_str()), 0);
    const Audio in = ReadAudio(speech);
    ASSERT_GT(in.samples.size(), 20000u);

    {
        Pedalboard board;
        SetChainEffects(board.AllByKey());
        RestoreDefaultOrder();
        for (int key = 0; key < kEffectCount; ++key) {
            board.ByKey(key)->enabled = 1;
            board.ByKey(key)->level = 64;
        }
        board.graphicEq.SetBandGain(4, 6);
        ASSERT_EQ(SavePreset(P("all.preset").c_str()), 1);
        Effect* none[kEffectCount] = {};
        SetChainEffects(none);
    }
    const ToolRun run =
        Render("--preset " + P("all.preset") + " " + speech + " " + P("fx.wav"), dir_);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    const Audio out = ReadAudio(P("fx.wav"));
    ASSERT_EQ(out.samples.size(), in.samples.size() / in.channels);
    EXPECT_EQ(out.rate, in.rate);

    double energy = 0, inEnergy = 0;
    size_t clipped = 0, differs = 0;
    for (size_t i = 0; i < out.samples.size(); ++i) {
        const int16_t s = out.samples[i];
        energy += double(s) * s;
        inEnergy += double(in.samples[i * in.channels]) * in.samples[i * in.channels];
        clipped += s == 32767 || s == -32768;
        differs += s != in.samples[i * in.channels];
    }
    const double rms = std::sqrt(energy / out.samples.size());
    EXPECT_GT(rms, 300.0);                            // not silence
    EXPECT_LT(clipped, out.samples.size() / 100);     // no constant clipping
    EXPECT_GT(differs, out.samples.size() * 9 / 10);  // the pedals did act
}

TEST_F(RenderTest, ThePedalsSeeTheStreamsBlocksAcrossTheWholeFile) {
    // Long enough for many reads and writes of the file, ending in a partial
    // block, through pedals that carry state from block to block.
    const std::vector<int16_t> in = TestSignal(3 * 44100 + 77);
    ASSERT_TRUE(WriteAudio(P("in.wav"), 44100, 1, in));
    std::vector<int16_t> expected(in);
    {
        Pedalboard board;
        SetChainEffects(board.AllByKey());
        RestoreDefaultOrder();
        SetLatencySetting(5);
        ApplySampleRate(kDefaultSampleRateIndex);
        for (Effect* pedal :
             {static_cast<Effect*>(&board.delay), static_cast<Effect*>(&board.chorus),
              static_cast<Effect*>(&board.reverb)})
            pedal->enabled = 1;
        ASSERT_EQ(SavePreset(P("echo.preset").c_str()), 1);
        // The stream's block at latency 5 and 44100 Hz: (5 + 2) x 64 bytes.
        const size_t block = BufferSizeFor(kDefaultSampleRateIndex, 5) / 2;
        ASSERT_EQ(block, 224u);
        expected.resize((in.size() + block - 1) / block * block, 0);
        for (size_t b = 0; b < expected.size(); b += block)
            ProcessingPass(expected.data() + b, static_cast<int32_t>(block));
        expected.resize(in.size());
        Effect* none[kEffectCount] = {};
        SetChainEffects(none);
    }
    const ToolRun run = Render(
        "--latency 5 --preset " + P("echo.preset") + " " + P("in.wav") + " " + P("out.wav"), dir_);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    const Audio out = ReadAudio(P("out.wav"));
    ASSERT_EQ(out.samples.size(), in.size());
    EXPECT_NE(out.samples, in);
    EXPECT_EQ(out.samples, expected);
}

TEST_F(RenderTest, LongFilesShowProgress) {
    ASSERT_TRUE(WriteAudio(P("long.wav"), 11025, 1, std::vector<int16_t>(11025 * 40, 100)));
    const ToolRun run = Render(P("long.wav") + " " + P("long_out.wav"), dir_);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_NE(run.errors.find("100%"), std::string::npos) << run.errors;
}

TEST_F(RenderTest, ProblemsAreNamedAndFail) {
    ToolRun run = Render(P("absent.wav") + " " + P("o.wav"), dir_);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.errors.find("cannot read"), std::string::npos) << run.errors;

    {
        std::FILE* f = std::fopen(P("junk.wav").c_str(), "wb");
        std::fputs("this is not audio at all", f);
        std::fclose(f);
    }
    run = Render(P("junk.wav") + " " + P("o.wav"), dir_);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.errors.find("cannot read"), std::string::npos) << run.errors;

    ASSERT_TRUE(WriteAudio(P("r16k.wav"), 16000, 1, std::vector<int16_t>(100, 1)));
    run = Render(P("r16k.wav") + " " + P("o.wav"), dir_);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.errors.find("16000 Hz"), std::string::npos) << run.errors;

    ASSERT_TRUE(WriteAudio(P("ok.wav"), 44100, 1, std::vector<int16_t>(100, 1)));
    run = Render(P("ok.wav") + " " + P("no/such/dir/o.wav"), dir_);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.errors.find("cannot write"), std::string::npos) << run.errors;

    run = Render("--preset " + P("absent.preset") + " " + P("ok.wav") + " " + P("o.wav"), dir_);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.errors.find("preset"), std::string::npos) << run.errors;

    EXPECT_EQ(Render("--latency 0 " + P("ok.wav") + " " + P("o.wav"), dir_).exitCode, 2);
    EXPECT_EQ(Render(P("ok.wav"), dir_).exitCode, 2);
    EXPECT_EQ(Render("--bogus " + P("ok.wav") + " " + P("o.wav"), dir_).exitCode, 2);
}

// A tool without a window or a sound device loads neither library: on a
// server without SDL it still runs, and it starts as fast as the file allows.
TEST(RenderToolTest, LoadsNoWindowOrAudioLibrary) {
    const std::string command = std::string("readelf -d ") + AMPLIRO_RENDER_TOOL;
    std::FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string needed;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) {
        if (std::strstr(line, "(NEEDED)")) needed += line;
    }
    ASSERT_EQ(pclose(pipe), 0);
    EXPECT_NE(needed.find("libsndfile"), std::string::npos) << needed;
    EXPECT_EQ(needed.find("libSDL2"), std::string::npos) << needed;
}

}  // namespace
}  // namespace ampliro

namespace ampliro {
namespace {

std::vector<float> ReadFloats(const fs::path& path) {
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (!f) return {};
    std::vector<float> v(static_cast<size_t>(info.frames));
    sf_readf_float(f, v.data(), info.frames);
    sf_close(f);
    return v;
}

TEST_F(RenderTest, ModelAloneMatchesTheReferencePlayerWithinSixteenBitRounding) {
    const fs::path models = fs::path(AMPLIRO_SOURCE_DIR) / ".." / "shared" / "models";
    const std::vector<float> input = ReadFloats(models / "input.wav");
    const std::vector<float> reference = ReadFloats(models / "wavenet.reference.wav");
    ASSERT_EQ(input.size(), 72000u);
    ASSERT_EQ(reference.size(), input.size());
    // Every input sample is a 16-bit value over 32768: the conversion is exact.
    std::vector<int16_t> in16;
    for (float x : input) in16.push_back(static_cast<int16_t>(std::lrint(x * 32768.0f)));
    ASSERT_TRUE(WriteAudio(P("in16.wav"), 48000, 1, in16));

    const ToolRun run = Render(
        "--model " + (models / "wavenet.nam").string() + " " + P("in16.wav") + " " + P("amp.wav"),
        dir_);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    const Audio out = ReadAudio(P("amp.wav"));
    ASSERT_EQ(out.samples.size(), reference.size());
    int worst = 0;
    for (size_t i = 0; i < reference.size(); ++i) {
        const long expected = std::clamp(std::lrint(reference[i] * 32768.0f), -32768L, 32767L);
        worst = std::max(worst, static_cast<int>(std::labs(out.samples[i] - expected)));
    }
    EXPECT_LE(worst, 1);
}

// A preset that plays a model names it relative to the models/ folder of
// the copy that saved it: beside Defaults.preset, or above presets/.
TEST_F(RenderTest, APresetsModelIsFoundInItsCopysFolderOrTheRenderFails) {
    const fs::path shared = fs::path(AMPLIRO_SOURCE_DIR) / ".." / "shared" / "models";
    fs::create_directories(dir_ / "models");
    fs::create_directories(dir_ / "presets");
    fs::copy_file(shared / "wavenet.nam", dir_ / "models" / "wavenet.nam");
    {
        Pedalboard board;
        SetChainEffects(board.AllByKey());
        RestoreDefaultOrder();
        SetPresetMediaFolders((dir_ / "models").string(), (dir_ / "cabinets").string());
        ASSERT_EQ(LoadModelFile(board.amp, (dir_ / "models" / "wavenet.nam").string()), "");
        board.amp.enabled = 1;
        ASSERT_EQ(SavePreset(P("presets/amp.preset").c_str()), 1);
        ASSERT_EQ(SavePreset(P("Defaults.preset").c_str()), 1);
        Effect* none[kChainLength] = {};
        SetChainEffects(none);
        SetPresetMediaFolders("", "");
    }
    const std::vector<int16_t> in = TestSignal(4800);
    ASSERT_TRUE(WriteAudio(P("in.wav"), 48000, 1, in));
    std::vector<int16_t> outputs[2];
    for (int i = 0; i < 2; ++i) {
        const std::string preset = P(i == 0 ? "presets/amp.preset" : "Defaults.preset");
        const ToolRun run =
            Render("--preset " + preset + " " + P("in.wav") + " " + P("o.wav"), dir_);
        ASSERT_EQ(run.exitCode, 0) << run.errors;
        outputs[i] = ReadAudio(P("o.wav")).samples;
    }
    EXPECT_NE(outputs[0], in);  // the amp played
    EXPECT_EQ(outputs[1], outputs[0]);

    fs::remove(dir_ / "models" / "wavenet.nam");
    const ToolRun run =
        Render("--preset " + P("presets/amp.preset") + " " + P("in.wav") + " " + P("o.wav"), dir_);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.errors.find("wavenet.nam"), std::string::npos) << run.errors;
}

TEST_F(RenderTest, AModelThatCannotBePlayedIsAFailureWithItsReason) {
    ASSERT_TRUE(WriteAudio(P("in.wav"), 48000, 1, TestSignal(4800)));
    std::ofstream(P("bad.nam")) << R"({"version": "0.5.4", "architecture": "Transformer"})";
    const ToolRun run =
        Render("--model " + P("bad.nam") + " " + P("in.wav") + " " + P("o.wav"), dir_);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.errors.find("bad.nam"), std::string::npos) << run.errors;
}

}  // namespace
}  // namespace ampliro
