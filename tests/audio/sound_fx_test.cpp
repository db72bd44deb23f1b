#include "audio/sound_fx.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/resources/resources.h"
#include "tests/test_files.h"

namespace ampliro {
namespace {

void Put16(std::vector<uint8_t>& v, uint32_t x) {
    v.push_back(static_cast<uint8_t>(x));
    v.push_back(static_cast<uint8_t>(x >> 8));
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
    Put16(v, x & 0xFFFF);
    Put16(v, x >> 16);
}
void PutTag(std::vector<uint8_t>& v, const char* tag) {
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(tag[i]));
}

// A PCM RIFF WAVE image; extra adds a "LIST" chunk between "fmt " and "data".
std::vector<uint8_t> PcmImage(const std::vector<int16_t>& samples, int channels, bool extra) {
    std::vector<uint8_t> v;
    PutTag(v, "RIFF");
    Put32(v, 0);
    PutTag(v, "WAVE");
    PutTag(v, "fmt ");
    Put32(v, 16);
    Put16(v, 1);
    Put16(v, channels);
    Put32(v, 44100);
    Put32(v, 44100 * 2 * channels);
    Put16(v, 2 * channels);
    Put16(v, 16);
    if (extra) {
        PutTag(v, "LIST");
        Put32(v, 5);
        v.insert(v.end(), {'a', 'b', 'c', 'd', 'e'});
    }
    PutTag(v, "data");
    Put32(v, static_cast<uint32_t>(samples.size() * 2));
    for (int16_t s : samples) Put16(v, static_cast<uint16_t>(s));
    return v;
}

TEST(SoundFXTest, PcmWithAnExtraChunkLoadsAndStereoIsRefused) {
    const std::vector<int16_t> samples = {0, 1000, -1000, 32767, -32768};
    SoundFX fx;
    const std::vector<uint8_t> image = PcmImage(samples, 1, true);
    ASSERT_EQ(fx.LoadWave(image.data(), image.size(), 1), 1);
    EXPECT_EQ(fx.rate, 44100u);
    EXPECT_EQ(fx.length, 5u);
    EXPECT_EQ(fx.eightBit, 0);
    EXPECT_EQ(fx.ownsSamples, 1);
    for (uint32_t i = 0; i < 5; ++i) EXPECT_EQ(fx.Sample(i), samples[i]);

    const std::vector<uint8_t> stereo = PcmImage(samples, 2, true);
    EXPECT_EQ(fx.LoadWave(stereo.data(), stereo.size(), 1), 0);
    EXPECT_FALSE(fx.HasSamples());
    EXPECT_EQ(fx.ownsSamples, 0);
}

TEST(SoundFXTest, EightBitSamplesStayInTheImageWithoutTheCopyFlag) {
    std::vector<uint8_t> v = PcmImage({}, 1, false);
    v[34] = 8;               // bits per sample
    v.resize(v.size() - 4);  // drop the empty data size
    Put32(v, 3);
    v.insert(v.end(), {0, 128, 255});
    SoundFX fx;
    ASSERT_EQ(fx.LoadWave(v.data(), v.size(), 0), 1);
    EXPECT_EQ(fx.eightBit, 1);
    EXPECT_EQ(fx.ownsSamples, 0);
    EXPECT_EQ(fx.samples, v.data() + v.size() - 3);
    EXPECT_EQ(fx.Sample(0), -32768);
    EXPECT_EQ(fx.Sample(1), 0);
    EXPECT_EQ(fx.Sample(2), 127 << 8);
}

TEST(SoundFXTest, DamagedImagesAreRefused) {
    const std::vector<uint8_t> good = PcmImage({1, 2, 3, 4}, 1, true);
    SoundFX fx;

    // No "data" chunk: the walk ends at the end of the image.
    std::vector<uint8_t> noData = good;
    std::copy_n("junk", 4, noData.begin() + 49);
    EXPECT_EQ(fx.LoadWave(noData.data(), noData.size(), 0), 0);

    // A "data" chunk that claims more bytes than the image holds.
    std::vector<uint8_t> longData = good;
    longData[53] = 200;
    EXPECT_EQ(fx.LoadWave(longData.data(), longData.size(), 0), 0);

    // A chunk size that would jump far beyond the image.
    std::vector<uint8_t> hugeChunk = good;
    hugeChunk[40] = 0xFF;
    hugeChunk[41] = 0xFF;
    hugeChunk[42] = 0xFF;
    hugeChunk[43] = 0xFF;
    EXPECT_EQ(fx.LoadWave(hugeChunk.data(), hugeChunk.size(), 0), 0);

    // Truncated inside the format block, and garbage.
    EXPECT_EQ(fx.LoadWave(good.data(), 30, 0), 0);
    const std::vector<uint8_t> garbage(100, 0xA5);
    EXPECT_EQ(fx.LoadWave(garbage.data(), garbage.size(), 0), 0);
    EXPECT_EQ(fx.LoadWave(nullptr, 0, 0), 0);
    EXPECT_FALSE(fx.HasSamples());

    ASSERT_EQ(fx.LoadWave(good.data(), good.size(), 0), 1);
    EXPECT_EQ(fx.length, 4u);
}

TEST(SoundFXTest, MissingResourceGivesZero) {
    static const ResourceEntry entries[] = {{kResourceGif, 160, nullptr, 0}};
    const ResourceModule module(entries);
    SoundFX fx;
    EXPECT_EQ(fx.LoadWaveResource(&module, 160), 0);
    EXPECT_FALSE(fx.HasSamples());
}

TEST(SoundFXTest, ResourceSamplesAreNotOwnedAndAReloadFreesOwnedOnes) {
    alignas(4) static uint8_t image[64];
    const std::vector<uint8_t> v = PcmImage({5, -5, 7}, 1, false);
    std::copy(v.begin(), v.end(), image);
    static const ResourceEntry entries[] = {{kResourceWave, 160, image, 50}};
    const ResourceModule module(entries);
    SoundFX fx;
    ASSERT_EQ(fx.MakeTone(kToneSine), 1);
    ASSERT_EQ(fx.LoadWaveResource(&module, 160), 1);
    EXPECT_EQ(fx.ownsSamples, 0);
    EXPECT_EQ(fx.samples, image + 44);
    EXPECT_EQ(fx.length, 3u);
    EXPECT_EQ(fx.Sample(1), -5);
    fx.Release();
    EXPECT_TRUE(fx.HasSamples());  // not ours to free
}

TEST(SoundFXTest, SquareToneHas499PositiveSamples) {
    SoundFX fx;
    ASSERT_EQ(fx.MakeTone(kToneSquare), 1);
    int positive = 0;
    for (uint32_t i = 0; i < fx.length; ++i) positive += fx.Sample(i) > 0;
    EXPECT_EQ(positive, 499);
    EXPECT_EQ(fx.Sample(250), -32767);
    EXPECT_EQ(fx.Sample(251), 32767);
    EXPECT_EQ(fx.Sample(749), 32767);
    EXPECT_EQ(fx.Sample(750), -32767);
    EXPECT_EQ(fx.rate, 440000u);
    EXPECT_EQ(fx.length, 1000u);
}

TEST(SoundFXTest, SineTriangleAndRampShapes) {
    SoundFX fx;
    ASSERT_EQ(fx.MakeTone(kToneSine), 1);
    EXPECT_EQ(fx.Sample(0), 0);
    EXPECT_EQ(fx.Sample(250), 32767);
    EXPECT_EQ(fx.Sample(750), -32767);
    EXPECT_NEAR(fx.Sample(500), 0, 1);

    ASSERT_EQ(fx.MakeTone(kToneTriangle), 1);
    EXPECT_EQ(fx.Sample(0), 0);
    EXPECT_NEAR(fx.Sample(250), 32767, 40);
    EXPECT_NEAR(fx.Sample(750), -32767, 40);
    EXPECT_GT(fx.Sample(249), fx.Sample(100));

    ASSERT_EQ(fx.MakeTone(kToneFallingRamp), 1);
    EXPECT_EQ(fx.Sample(0), 32767);
    EXPECT_NEAR(fx.Sample(500), 0, 40);
    EXPECT_NEAR(fx.Sample(999), -32767, 100);
}

// Hand-made ADPCM image: block align, samples per block and data size given.
std::vector<uint8_t> AdpcmImage(uint16_t blockAlign, uint16_t samplesPerBlock, uint32_t bytes) {
    std::vector<uint8_t> v;
    PutTag(v, "RIFF");
    Put32(v, 0);
    PutTag(v, "WAVE");
    PutTag(v, "fmt ");
    Put32(v, 50);
    Put16(v, 2);
    Put16(v, 1);
    Put32(v, 22050);
    Put32(v, 11025);
    Put16(v, blockAlign);
    Put16(v, 4);
    Put16(v, 32);
    Put16(v, samplesPerBlock);
    Put16(v, 7);
    const int16_t pairs[7][2] = {{256, 0}, {512, -256}, {0, 0},     {192, 64},
                                 {240, 0}, {460, -208}, {392, -232}};
    for (const auto& p : pairs) {
        Put16(v, static_cast<uint16_t>(p[0]));
        Put16(v, static_cast<uint16_t>(p[1]));
    }
    PutTag(v, "data");
    Put32(v, bytes);
    for (uint32_t i = 0; i < bytes; ++i)
        v.push_back(static_cast<uint8_t>(blockAlign && i % blockAlign == 0 ? 0 : 16));
    return v;
}

TEST(SoundFXTest, AdpcmBlockArithmetic) {
    SoundFX fx;
    std::vector<uint8_t> v = AdpcmImage(256, 500, 1024);
    ASSERT_EQ(fx.LoadWave(v.data(), v.size(), 0), 1);
    EXPECT_EQ(fx.length, 2000u);
    EXPECT_EQ(fx.ownsSamples, 1);

    v = AdpcmImage(256, 500, 1124);  // a final 100-byte partial block
    ASSERT_EQ(fx.LoadWave(v.data(), v.size(), 0), 1);
    EXPECT_EQ(fx.length, 2000u);

    // More samples per block than the block's bytes can carry.
    v = AdpcmImage(256, 600, 1024);
    EXPECT_EQ(fx.LoadWave(v.data(), v.size(), 0), 0);
    v = AdpcmImage(0, 500, 1024);
    EXPECT_EQ(fx.LoadWave(v.data(), v.size(), 0), 0);
}

TEST(SoundFXTest, AdpcmStepsFollowTheCoefficients) {
    // Predictor 0 (c1 = 256): each nibble adds n x delta to the last sample.
    std::vector<uint8_t> v = AdpcmImage(16, 20, 16);
    uint8_t* block = v.data() + v.size() - 16;
    const uint8_t header[7] = {0, 16, 0, 100, 0, 50, 0};  // delta 16, s1 100, s2 50
    std::copy(header, header + 7, block);
    block[7] = 0x17;  // +1, then +7
    block[8] = 0xF0;  // -1, then 0
    SoundFX fx;
    ASSERT_EQ(fx.LoadWave(v.data(), v.size(), 0), 1);
    ASSERT_EQ(fx.length, 20u);
    EXPECT_EQ(fx.Sample(0), 50);
    EXPECT_EQ(fx.Sample(1), 100);
    EXPECT_EQ(fx.Sample(2), 116);           // 100 + 1 x 16; delta max(16, 230 x 16 / 256)
    EXPECT_EQ(fx.Sample(3), 116 + 7 * 16);  // delta then 614 x 16 / 256 = 38
    EXPECT_EQ(fx.Sample(4), 116 + 112 - 38);
    EXPECT_EQ(fx.Sample(5), 190);  // nibble 0 adds nothing

    block[0] = 7;  // no such predictor
    EXPECT_EQ(fx.LoadWave(v.data(), v.size(), 0), 0);
}

using testing::ReadBytes;

std::vector<int16_t> ReadSamples(const std::filesystem::path& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) return {};
    std::vector<int16_t> samples(static_cast<size_t>(info.frames));
    sf_readf_short(file, samples.data(), info.frames);
    sf_close(file);
    return samples;
}

TEST(SoundFXTest, AdpcmDecodesLikeAnotherDecoder) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("ampliro_adpcm_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string pcm = (dir / "source.wav").string();
    const std::string adpcm = (dir / "adpcm.wav").string();
    const std::string decoded = (dir / "decoded.wav").string();
    // -D: no dither. sox dithers with random noise by default, so each run
    // would decode a different sweep, now and then one past the bounds below.
    const std::string command = "sox -D -n -r 22050 -b 16 -c 1 " + pcm +
                                " synth 0.5 sine 300:3000 vol 0.7 && sox -D " + pcm +
                                " -e ms-adpcm " + adpcm + " && sox -D " + adpcm +
                                " -e signed-integer -b 16 " + decoded;
    ASSERT_EQ(std::system((command + " 2>/dev/null").c_str()), 0) << "sox is needed";

    const std::vector<uint8_t> image = ReadBytes(adpcm);
    const std::vector<int16_t> reference = ReadSamples(decoded);
    SoundFX fx;
    ASSERT_EQ(fx.LoadWave(image.data(), image.size(), 0), 1);
    EXPECT_EQ(fx.rate, 22050u);
    ASSERT_EQ(fx.length, reference.size());
    // sox rounds the prediction toward minus infinity where we truncate toward
    // zero: the two decodes agree on every block header and stay within a few
    // steps of each other between them (a wrong nibble order or step table
    // would be thousands off).
    const uint32_t samplesPerBlock = image[38] | image[39] << 8;
    int worst = 0;
    int64_t total = 0;
    for (uint32_t i = 0; i < fx.length; ++i) {
        const int difference = std::abs(fx.Sample(i) - reference[i]);
        if (i % samplesPerBlock < 2) {
            EXPECT_EQ(difference, 0) << "sample " << i;
        }
        worst = std::max(worst, difference);
        total += difference;
    }
    EXPECT_LE(worst, 64) << "mean " << total / fx.length;
    EXPECT_LT(total / fx.length, 16);
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace ampliro
