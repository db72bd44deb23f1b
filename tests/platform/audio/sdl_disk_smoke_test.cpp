// The real SDL2 path, headless: SDL's disk driver reads the capture side from
// one file and writes the playback side to another, each on its own thread at
// about real-time pace. Not bit-exact in timing, but every captured sample
// that reaches the output must arrive unchanged and in order.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "audio/stream.h"
#include "platform/audio/output_volume.h"
#include "platform/audio/wave_device.h"
#include "platform/system/clock.h"

namespace ampliro {
namespace {

// A ramp 1..20000 that never holds 0, so silence and data cannot be confused.
int16_t Pattern(size_t i) {
    return static_cast<int16_t>(i % 20000 + 1);
}
int16_t Next(int16_t value) {
    return static_cast<int16_t>(value % 20000 + 1);
}

int PassThrough(int16_t*, int32_t) {
    return 1;
}

TEST(SdlDiskSmokeTest, CapturedSamplesReachTheOutputFile) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("ampliro_disk_audio_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string in = (dir / "in.raw").string();
    const std::string out = (dir / "out.raw").string();
    {
        std::vector<int16_t> samples(2 * 44100);
        for (size_t i = 0; i < samples.size(); ++i) samples[i] = Pattern(i);
        std::ofstream file(in, std::ios::binary);
        file.write(reinterpret_cast<const char*>(samples.data()),
                   static_cast<std::streamsize>(samples.size() * 2));
    }
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILEIN", in.c_str(), 1);
    setenv("SDL_DISKAUDIOFILE", out.c_str(), 1);

    SetAudioBackend(nullptr);
    SetOutputVolume(0xFFFFFFFFu);
    ASSERT_EQ(StartAudioThread(&PassThrough), 0);
    SetStreamSampleRate(44100);
    SetStreamBufferSize(896);
    ASSERT_EQ(OpenAudioStream(), kStreamOk);
    EXPECT_TRUE(IsAudioRunning());
    SleepMilliseconds(800);
    StopAudioStream();

    std::vector<int16_t> played;
    {
        std::ifstream file(out, std::ios::binary);
        ASSERT_TRUE(file.good());
        int16_t sample = 0;
        while (file.read(reinterpret_cast<char*>(&sample), 2)) played.push_back(sample);
    }
    std::filesystem::remove_all(dir);

    // Count the output samples that continue the ramp, and the longest run.
    size_t continuing = 0;
    size_t run = 0;
    size_t longest = 0;
    for (size_t j = 1; j < played.size(); ++j) {
        if (played[j - 1] != 0 && played[j] == Next(played[j - 1])) {
            ++continuing;
            longest = std::max(longest, ++run);
        } else {
            run = 0;
        }
    }
    RecordProperty("continuing", static_cast<int>(continuing));
    RecordProperty("longest", static_cast<int>(longest));
    // At least a tenth of a second of the input, with whole blocks of 448
    // samples unbroken.
    EXPECT_GE(continuing, 4410u) << "output samples: " << played.size();
    EXPECT_GE(longest, 448u);
}

TEST(SdlDiskSmokeTest, AMissingInputIsAnOpenFailureWithAReason) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("ampliro_disk_missing_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILEIN", (dir / "absent.raw").c_str(), 1);
    setenv("SDL_DISKAUDIOFILE", (dir / "out.raw").c_str(), 1);

    SetAudioBackend(nullptr);
    ASSERT_EQ(StartAudioThread(&PassThrough), 0);
    SetStreamSampleRate(44100);
    SetStreamBufferSize(896);
    EXPECT_EQ(OpenAudioStream(), kCaptureOpenFailed);
    EXPECT_FALSE(IsAudioRunning());
    EXPECT_FALSE(CurrentAudioBackend().LastError().empty());
    // Nothing was opened, so nothing was written.
    EXPECT_FALSE(std::filesystem::exists(dir / "out.raw"));

    // Once the input exists the same thread runs the stream.
    {
        std::ofstream file(dir / "absent.raw", std::ios::binary);
        const std::vector<int16_t> samples(4410, 100);
        file.write(reinterpret_cast<const char*>(samples.data()),
                   static_cast<std::streamsize>(samples.size() * 2));
    }
    EXPECT_EQ(OpenAudioStream(), kStreamOk);
    EXPECT_TRUE(IsAudioRunning());
    StopAudioStream();
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace ampliro
