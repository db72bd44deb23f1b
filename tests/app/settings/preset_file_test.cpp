#include "app/settings/preset_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "audio/audio_settings.h"
#include "audio/effect_chain.h"
#include "effects/pedalboard.h"
#include "tests/test_files.h"
#include "tests/write_limit.h"

namespace ampliro {
namespace {

namespace fs = std::filesystem;

using testing::ReadBytes;
using testing::WriteBytes;

void PutWord(std::vector<uint8_t>& bytes, uint32_t w) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(w >> (8 * i)));
}

uint32_t Bits(float v) {
    uint32_t b;
    std::memcpy(&b, &v, 4);
    return b;
}

std::vector<int32_t> ChainKeys() {
    int32_t keys[kEffectCount];
    TheEffectChain().GetNineOrder(keys);
    return {keys, keys + kEffectCount};
}

class PresetFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("ampliro_presets_" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        SetChainEffects(board_.AllByKey());
        RestoreDefaultOrder();
        ApplySampleRate(3);
    }
    void TearDown() override {
        Effect* none[kEffectCount] = {};
        SetChainEffects(none);
        fs::remove_all(dir_);
    }
    std::string Path(const char* name) const { return (dir_ / name).string(); }

    fs::path dir_;
    Pedalboard board_;
};

// Words of a complete preset in the file's layout, with values unlike every
// default, and the chain reversed.
// pitchLevel is the Pitch Shifter's first word, which its fourth overrides.
std::vector<uint8_t> HandWrittenPreset(uint32_t pitchLevel = 11) {
    std::vector<uint8_t> b;
    for (uint32_t w : {60u, 10u, 1u, 40u, 20u, 50u, 64u, 16u}) PutWord(b, w);  // Overdrive
    for (uint32_t w : {50u, 60u, 1u, Bits(48.0f), Bits(1000.0f), 2u, 16u}) PutWord(b, w);  // PEQ
    for (uint32_t w : {pitchLevel, 44u, 1u, 33u, static_cast<uint32_t>(-5)})
        PutWord(b, w);                                                      // Pitch
    for (uint32_t w : {41u, 42u, 1u, 8u, 9u, 10u}) PutWord(b, w);           // Phaser
    for (uint32_t w : {31u, 32u, 1u, 20u, Bits(40.0f), 5u}) PutWord(b, w);  // Chorus
    for (uint32_t w : {21u, 22u, 1u, 750u, 12u, 30u}) PutWord(b, w);        // Delay
    for (uint32_t w : {51u, 52u, 1u, 100u, 60u, 10u, 50u}) PutWord(b, w);   // Reverb
    for (uint32_t w : {61u, 1u, 1u, 2u, 3u, static_cast<uint32_t>(-4), 5u, 6u, 7u}) PutWord(b, w);
    for (uint32_t w : {62u, 1u, 33u, 4u}) PutWord(b, w);  // Tremolo
    for (uint32_t k = 9; k-- > 0;) PutWord(b, k);
    return b;
}

TEST_F(PresetFileTest, HandWrittenLayoutLoadsWithEveryValueInPlace) {
    const std::vector<uint8_t> bytes = HandWrittenPreset();
    ASSERT_EQ(bytes.size(), static_cast<size_t>(kPresetFileSize));
    WriteBytes(Path("hand.preset"), bytes);
    ASSERT_EQ(LoadPreset(Path("hand.preset").c_str()), 1);

    // Each pedal's fields against the words HandWrittenPreset put there; the
    // Pitch Shifter's level is its fourth word.
    const Pedalboard& p = board_;
    const auto& od = p.overdrive;
    const auto& peq = p.parametricEq;
    const auto& ps = p.pitchShifter;
    const auto& ph = p.phaser;
    const auto& ch = p.chorus;
    const auto& dl = p.delay;
    const auto& rv = p.reverb;
    const auto& geq = p.graphicEq;
    const auto& tr = p.tremolo;
    auto values = [](const auto&... v) { return std::vector<double>{static_cast<double>(v)...}; };
    const struct {
        const char* pedal;
        std::vector<double> loaded, written;
    } records[] = {
        {"Overdrive",
         values(od.level, od.mix, od.enabled, od.bass, od.middle, od.treble, od.saturation,
                od.drive),
         {60, 10, 1, 40, 20, 50, 64, 16}},
        {"Parametric EQ",
         values(peq.level, peq.mix, peq.resonance, peq.frequency, peq.mode, peq.gain),
         {50, 60, 48, 1000, ParametricEqPedal::kLowPass, 16}},
        {"Pitch Shifter", values(ps.level, ps.mix, ps.semitones), {33, 44, -5}},
        {"Phaser",
         values(ph.level, ph.mix, ph.rateKnob, ph.feedback, ph.depth),
         {41, 42, 8, 9, 10}},
        {"Chorus", values(ch.level, ch.mix, ch.depth, ch.speed, ch.feedback), {31, 32, 20, 40, 5}},
        {"Delay", values(dl.level, dl.mix, dl.delayMs, dl.decay, dl.cutoff), {21, 22, 750, 12, 30}},
        {"Reverb",
         values(rv.level, rv.mix, rv.delayMs, rv.decayAmount, rv.lpGain, rv.hpGain),
         {51, 52, 100, 60, 10, 50}},
        {"Graphic EQ",
         values(geq.level, geq.enabled, geq.bandGain[0], geq.bandGain[1], geq.bandGain[2],
                geq.bandGain[3], geq.bandGain[4], geq.bandGain[5], geq.bandGain[6]),
         {61, 1, 1, 2, 3, -4, 5, 6, 7}},
        {"Tremolo", values(tr.level, tr.enabled, tr.mix, tr.tremoloRate), {62, 1, 33, 4}},
    };
    for (const auto& r : records) EXPECT_EQ(r.loaded, r.written) << r.pedal;

    EXPECT_EQ(ChainKeys(), (std::vector<int32_t>{8, 7, 6, 5, 4, 3, 2, 1, 0}));
}

TEST_F(PresetFileTest, SaveThenLoadRoundTripsByteForByte) {
    WriteBytes(Path("hand.preset"), HandWrittenPreset(33));
    ASSERT_EQ(LoadPreset(Path("hand.preset").c_str()), 1);
    ASSERT_EQ(SavePreset(Path("a.preset").c_str()), 1);
    EXPECT_EQ(ReadBytes(Path("a.preset")), HandWrittenPreset(33));

    Pedalboard other;
    SetChainEffects(other.AllByKey());
    RestoreDefaultOrder();
    ASSERT_EQ(LoadPreset(Path("a.preset").c_str()), 1);
    ASSERT_EQ(SavePreset(Path("b.preset").c_str()), 1);
    EXPECT_EQ(ReadBytes(Path("a.preset")), ReadBytes(Path("b.preset")));
    SetChainEffects(board_.AllByKey());
}

TEST_F(PresetFileTest, DefaultsSaveTo268Bytes) {
    ASSERT_EQ(SavePreset(Path("d.preset").c_str()), 1);
    const std::vector<uint8_t> bytes = ReadBytes(Path("d.preset"));
    ASSERT_EQ(bytes.size(), 268u);
    // The chain part: the default order as keys.
    const int32_t order[9] = {0, 6, 3, 5, 2, 4, 1, 8, 7};
    for (int slot = 0; slot < 9; ++slot) EXPECT_EQ(bytes[232 + 4 * slot], order[slot]) << slot;
    EXPECT_EQ(bytes[0], 64);  // the Overdrive's level
}

TEST_F(PresetFileTest, LoadInitialisesEveryPedalAtTheCurrentRate) {
    ApplySampleRate(1);  // 11025 Hz
    WriteBytes(Path("hand.preset"), HandWrittenPreset());
    ASSERT_EQ(LoadPreset(Path("hand.preset").c_str()), 1);
    for (int key = 0; key < kEffectCount; ++key) EXPECT_EQ(board_.ByKey(key)->sampleRate, 11025);
}

TEST_F(PresetFileTest, MissingFileChangesNothing) {
    board_.delay.SetDelay(123, 4);
    MoveEffectDown(0);
    const std::vector<int32_t> before = ChainKeys();
    EXPECT_EQ(LoadPreset(Path("absent.preset").c_str()), 0);
    EXPECT_EQ(board_.delay.delayMs, 123);
    EXPECT_EQ(ChainKeys(), before);
    int error = 0;
    EXPECT_EQ(SavePreset((dir_ / "no" / "such" / "x.preset").string().c_str(), &error), 0);
    EXPECT_EQ(error, ENOENT);
}

TEST_F(PresetFileTest, ASaveThatFailsHalfWayLeavesTheOldFileByteForByte) {
    const std::vector<uint8_t> old = HandWrittenPreset(33);
    WriteBytes(Path("song.preset"), old);
    board_.delay.SetDelay(123, 4);
    // The new file breaks off after 100 of its 268 bytes, in the Pitch
    // Shifter's record.
    const int result = testing::RunWithFileSizeLimit(100, [&] {
        int error = 0;
        return SavePreset(Path("song.preset").c_str(), &error) == 0 ? error : 0;
    });
    EXPECT_EQ(result, EFBIG);
    EXPECT_EQ(ReadBytes(Path("song.preset")), old);
    size_t names = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
        EXPECT_EQ(entry.path().filename(), "song.preset");
        ++names;
    }
    EXPECT_EQ(names, 1u);
    // Without the limit the same save goes through.
    ASSERT_EQ(SavePreset(Path("song.preset").c_str()), 1);
    EXPECT_EQ(ReadBytes(Path("song.preset")).size(), 268u);
}

TEST_F(PresetFileTest, ShortFileLoadsWhatItHolds) {
    std::vector<uint8_t> bytes = HandWrittenPreset();
    bytes.resize(32 + 8);  // the Overdrive record and two PEQ words
    WriteBytes(Path("short.preset"), bytes);
    MoveEffectDown(0);
    const std::vector<int32_t> before = ChainKeys();
    ASSERT_EQ(LoadPreset(Path("short.preset").c_str()), 1);
    EXPECT_EQ(board_.overdrive.drive, 16);
    EXPECT_EQ(board_.parametricEq.level, 50);
    EXPECT_EQ(board_.parametricEq.mix, 60);
    EXPECT_EQ(board_.parametricEq.enabled, 0);
    EXPECT_EQ(board_.parametricEq.frequency, 2600.0f);
    EXPECT_EQ(board_.tremolo.level, 48);
    EXPECT_EQ(ChainKeys(), before);

    WriteBytes(Path("empty.preset"), {});
    EXPECT_EQ(LoadPreset(Path("empty.preset").c_str()), 1);
    EXPECT_EQ(ChainKeys(), before);
}

// The chain part names each of the nine keys once; any other list leaves
// the order as it was, while the pedals' records still load. Words after
// the ninth key are ignored.
TEST_F(PresetFileTest, ChainPartMustNameEachKeyOnce) {
    const std::vector<int32_t> before = ChainKeys();
    const struct {
        const char* name;
        std::vector<uint32_t> words;
        std::vector<int32_t> chain;
    } cases[] = {
        {"7 twice, 8 missing", {0, 1, 2, 3, 4, 5, 6, 7, 7}, before},
        {"a key out of range", {0, 1, 2, 3, 4, 5, 6, 7, 9}, before},
        {"trailing words", {1, 0, 2, 3, 4, 5, 6, 7, 8, 99, 98}, {1, 0, 2, 3, 4, 5, 6, 7, 8}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RestoreDefaultOrder();
        board_.tremolo.level = 0;
        std::vector<uint8_t> bytes = HandWrittenPreset();
        bytes.resize(232);
        for (uint32_t k : c.words) PutWord(bytes, k);
        WriteBytes(Path("chain.preset"), bytes);
        ASSERT_EQ(LoadPreset(Path("chain.preset").c_str()), 1);
        EXPECT_EQ(ChainKeys(), c.chain);
        EXPECT_EQ(board_.tremolo.level, 62);
    }
}

TEST_F(PresetFileTest, GarbageAndHostileFilesCrashNothing) {
    std::mt19937 rng(1234);
    std::vector<int16_t> block(448);
    for (int round = 0; round < 20; ++round) {
        std::vector<uint8_t> bytes(static_cast<size_t>(rng() % 400));
        for (uint8_t& b : bytes) b = static_cast<uint8_t>(rng());
        if (round % 4 == 1) {  // extreme words everywhere: 0x80000000, 0x7FFFFFFF, NaN
            for (size_t i = 0; i + 3 < bytes.size(); i += 4) {
                const uint32_t w = (i / 4) % 3 == 0   ? 0x80000000u
                                   : (i / 4) % 3 == 1 ? 0x7FFFFFFFu
                                                      : 0x7FC00000u;
                for (int k = 0; k < 4; ++k) bytes[i + k] = static_cast<uint8_t>(w >> (8 * k));
            }
        }
        WriteBytes(Path("garbage.preset"), bytes);
        ASSERT_EQ(LoadPreset(Path("garbage.preset").c_str()), 1);
        for (int key = 0; key < kEffectCount; ++key) board_.ByKey(key)->enabled = 1;
        for (int b = 0; b < 20; ++b) {
            for (int16_t& s : block) s = static_cast<int16_t>(rng());
            TheEffectChain().ProcessBlock(block.data(), static_cast<int32_t>(block.size()));
        }
        std::vector<int32_t> keys = ChainKeys();
        std::sort(keys.begin(), keys.end());
        ASSERT_EQ(keys, (std::vector<int32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
        EXPECT_GE(board_.delay.delayMs, 1);
        EXPECT_GE(board_.reverb.delayMs, 1);
        EXPECT_LE(board_.chorus.depth, 64);
    }
}

}  // namespace
}  // namespace ampliro
