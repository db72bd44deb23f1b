// Every reader of outside data over mutated inputs: the preset, preferences
// and recording files, and the picture, font and sound resources. Run under
// AddressSanitizer and UndefinedBehaviorSanitizer, any out-of-bounds access,
// overflow or leak of control shows; each reader also has to leave the
// program in a state it can work with.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <span>
#include <tuple>

#include "app/metronome/metronome_engine.h"
#include "app/recorder/recorder_engine.h"
#include "app/settings/preferences.h"
#include "app/settings/preset_file.h"
#include "audio/audio_settings.h"
#include "audio/effect_chain.h"
#include "audio/sound_fx.h"
#include "effects/pedalboard.h"
#include "effects/units/impulse_response/impulse_response_reader.h"
#include "effects/units/neural_amp/model_file.h"
#include "fuzz_support.h"
#include "gfx/font.h"
#include "gfx/image.h"
#include "gfx/surface.h"
#include "platform/resources/image_codec.h"
#include "platform/resources/resources.h"
#include "tests/test_files.h"

namespace ampliro {
namespace {

namespace fs = std::filesystem;
using namespace testing;

Bytes Resource(const char* type, int number) {
    const ResourceEntry* entry = ProgramModule().Find(type, number);
    if (!entry) return {};
    return Bytes(entry->data, entry->data + entry->size);
}

class ReadersFuzzTest : public ::testing::Test {
  protected:
    void SetUp() override { folder = testing::FreshTestFolder("fuzz"); }
    void TearDown() override { fs::remove_all(folder); }

    fs::path WriteFile(const char* name, const Bytes& data) {
        const fs::path path = folder / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(data.data()),
                   static_cast<std::streamsize>(data.size()));
        return path;
    }

    fs::path folder;
};

TEST_F(ReadersFuzzTest, Preferences) {
    const fs::path path = folder / kPreferencesFileName;
    Fuzz({ReadHexSeed("prefs.hex")}, FuzzInputs(3000), 1, [&](const Bytes& d) {
        WriteFile(kPreferencesFileName, d);
        Preferences settings;
        MetronomeEngine metronome;
        LoadPreferences(path, settings, metronome);
        ASSERT_GE(settings.latency, kMinLatencySetting);
        ASSERT_LE(settings.latency, kMaxLatencySetting);
        ASSERT_GE(settings.sampleRateIndex, kMinSampleRateIndex);
        ASSERT_LE(settings.sampleRateIndex, kMaxSampleRateIndex);
        ASSERT_GE(settings.masterVolume, 0);
        ASSERT_LE(settings.masterVolume, kMaxMasterVolume);
        ASSERT_GE(metronome.Tempo(), 40);
        ASSERT_LE(metronome.Tempo(), 200);
    });
}

TEST_F(ReadersFuzzTest, Presets) {
    Pedalboard board;
    SetChainEffects(board.AllByKey());
    RestoreDefaultOrder();
    ApplySampleRate(1);  // the smallest delay lines: every load initialises them
    const fs::path saved = folder / "saved.preset";
    ASSERT_EQ(SavePreset(saved.c_str()), 1);
    std::ifstream in(saved, std::ios::binary);
    const Bytes whole{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::vector<Bytes> seeds = {whole, ReadHexSeed("preset_short.hex")};
    std::vector<int16_t> block(256);
    Fuzz(seeds, FuzzInputs(1500), 2, [&](const Bytes& d) {
        const fs::path path = WriteFile("fuzz.preset", d);
        ASSERT_EQ(LoadPreset(path.c_str()), 1);
        // Whatever was read, the chain still holds each pedal once, and
        // every pedal processes a block.
        int32_t keys[kChainLength];
        GetChainOrder(keys);
        std::sort(keys, keys + kChainLength);
        for (int32_t k = 0; k < kChainLength; ++k) ASSERT_EQ(keys[k], k);
        for (size_t i = 0; i < block.size(); ++i)
            block[i] = static_cast<int16_t>(i % 64 < 32 ? 20000 : -20000);
        TheEffectChain().ProcessBlock(block.data(), static_cast<int32_t>(block.size()));
    });
    Effect* none[kEffectCount] = {};
    SetChainEffects(none);
}

TEST_F(ReadersFuzzTest, Recordings) {
    RecorderEngine recorder;
    recorder.SetFolder(folder);
    std::vector<int16_t> block(300);
    Fuzz({ReadHexSeed("record.hex")}, FuzzInputs(1500), 3, [&](const Bytes& d) {
        WriteFile(kRecordingFileName, d);
        recorder.ReadRecordingInfo();
        recorder.SetRepeat(d.size() % 2 == 0);
        recorder.StartPlayback(44100);
        for (int b = 0; b < 3; ++b) {
            recorder.FlushDisk();
            recorder.EngineStep(block.data(), 300);
        }
        recorder.SeekTo(static_cast<int32_t>(d.size() / 3));
        recorder.StopRecorder();
    });
}

TEST_F(ReadersFuzzTest, WaveAndMsAdpcmSounds) {
    const std::vector<Bytes> seeds = {ReadHexSeed("wave_adpcm.hex"), Resource(kResourceWave, 160)};
    // The seeds reach the decoders' deepest paths: both load whole.
    for (const Bytes& seed : seeds) {
        SoundFX sound;
        ASSERT_EQ(sound.LoadWave(seed.data(), seed.size(), 0), 1);
        EXPECT_GT(sound.length, 0u);
    }
    Fuzz(seeds, FuzzInputs(4000), 4, [&](const Bytes& d) {
        SoundFX sound;
        if (!sound.LoadWave(d.data(), d.size(), d.size() % 2)) return;
        int64_t sum = 0;
        for (uint32_t i = 0; i < sound.length; ++i) sum += sound.Sample(i);
        ASSERT_LE(std::abs(sum), int64_t{32768} * sound.length);
    });
}

TEST_F(ReadersFuzzTest, BitmapFonts) {
    const std::vector<Bytes> seeds = {ReadHexSeed("sysfont.hex"), Resource(kResourceSysFont, 4),
                                      Resource(kResourceSysFont, 1)};
    std::unique_ptr<Surface> target(CreateSurface(240, 40));
    for (const Bytes& seed : seeds) {
        const ResourceEntry entry{kResourceSysFont, 1, seed.data(), seed.size()};
        const ResourceModule module{std::span<const ResourceEntry>(&entry, 1)};
        BitmapFont font;
        ASSERT_EQ(LoadFont(&font, &module, 1), 1);
    }
    {
        // The corpus font: three glyphs two pixels wide side by side, four high.
        const Bytes& seed = seeds[0];
        const ResourceEntry entry{kResourceSysFont, 1, seed.data(), seed.size()};
        const ResourceModule module{std::span<const ResourceEntry>(&entry, 1)};
        BitmapFont font;
        ASSERT_EQ(LoadFont(&font, &module, 1), 1);
        EXPECT_EQ(font.glyphCount, 3);
        EXPECT_EQ(font.height, 4);
        EXPECT_EQ(font.offsets['C'], 4);
        EXPECT_EQ(font.widths['B'], 2);
        EXPECT_EQ(TextWidth(&font, "ABC"), 6);
    }
    std::string everyCode;
    for (int c = 1; c < 256; ++c) everyCode.push_back(static_cast<char>(c == '#' ? 'x' : c));
    Fuzz(seeds, FuzzInputs(600), 5, [&](const Bytes& d) {
        const ResourceEntry entry{kResourceSysFont, 1, d.data(), d.size()};
        const ResourceModule module{std::span<const ResourceEntry>(&entry, 1)};
        BitmapFont font;
        LoadFont(&font, &module, 1);
        char text[300];
        std::snprintf(text, sizeof text, "%s", everyCode.c_str());
        TextWidth(&font, text);
        FitText(&font, text, 100);
        DrawColourText(&font, target.get(), 0, 0, text, 0xFFFF, 0);
        FitTextEllipsis(&font, text, 60);
    });
}

TEST_F(ReadersFuzzTest, BmpAndJpegPictures) {
    const std::vector<Bytes> seeds = {ReadHexSeed("bitmap.hex"), ReadHexSeed("jpeg.hex"),
                                      Resource(RT_BITMAP, 110), Resource(kResourceGif, 156)};
    for (const Bytes& seed : seeds) {
        std::unique_ptr<Surface> picture(DecodeImage(seed.data(), seed.size()));
        ASSERT_NE(picture, nullptr);
    }
    // The corpus pictures decode to their own sizes.
    for (const auto& [seed, width, height] : {std::tuple{seeds[0], 2, 2}, {seeds[1], 16, 8}}) {
        std::unique_ptr<Surface> picture(DecodeImage(seed.data(), seed.size()));
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(picture->width, width);
        EXPECT_EQ(picture->height, height);
    }
    Fuzz(seeds, FuzzInputs(1500), 6, [&](const Bytes& d) {
        std::unique_ptr<Surface> picture(LoadImageFromMemory(d.data(), d.data() + d.size()));
        if (!picture) return;
        ASSERT_GT(picture->width, 0);
        ASSERT_GT(picture->height, 0);
        GetPixel(picture.get(), picture->width - 1, picture->height - 1);
    });
}

Bytes SharedModel(const char* name) {
    std::ifstream in(std::string(AMPLIRO_SOURCE_DIR) + "/../shared/models/" + name,
                     std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Amp model files: a refusal names its reason, a model that is taken plays
// a block to finite samples.
TEST_F(ReadersFuzzTest, AmpModels) {
    const std::vector<Bytes> seeds = {SharedModel("wavenet.nam"), SharedModel("lstm.nam")};
    ASSERT_FALSE(seeds[0].empty());
    ASSERT_FALSE(seeds[1].empty());
    Fuzz(seeds, FuzzInputs(400), 7, [&](const Bytes& d) {
        dsp::NeuralModelFile file = dsp::ReadNeuralModelFile(
            std::string_view(reinterpret_cast<const char*>(d.data()), d.size()));
        if (!file.model) {
            ASSERT_FALSE(file.error.empty());
            return;
        }
        file.model->Prepare(64);
        float in[64], out[64];
        for (int i = 0; i < 64; ++i) in[i] = 0.5f * static_cast<float>((i % 7) - 3) / 3.0f;
        file.model->Process(in, out, 64);
    });
}

// Impulse responses: refused with a sentence, or taken at a bounded length.
TEST_F(ReadersFuzzTest, ImpulseResponses) {
    std::vector<uint8_t> wav = {'R', 'I', 'F',  'F',  0,   0,   0,    0,    'W', 'A', 'V',
                                'E', 'f', 'm',  't',  ' ', 16,  0,    0,    0,   1,   0,
                                1,   0,   0x80, 0xBB, 0,   0,   0x00, 0x77, 1,   0,   2,
                                0,   16,  0,    'd',  'a', 't', 'a',  0x40, 0,   0,   0};
    for (int i = 0; i < 32; ++i) wav.insert(wav.end(), {static_cast<uint8_t>(i * 9), 0x20});
    Fuzz({wav}, FuzzInputs(1500), 8, [&](const Bytes& d) {
        const dsp::ImpulseResponse ir = dsp::ReadImpulseResponse(
            std::span(reinterpret_cast<const std::byte*>(d.data()), d.size()), 48000);
        if (!ir.ok()) {
            ASSERT_TRUE(ir.samples.empty());
            return;
        }
        ASSERT_FALSE(ir.samples.empty());
        ASSERT_LE(ir.samples.size(), 48000u * 2);
    });
}

}  // namespace
}  // namespace ampliro
