// "VRPREFS.DAT": 32-bit little-endian settings kept from one run to the next:
// latency, sample-rate index, metronome volume, tempo, accent, intro, and a
// seventh word, the master volume, after the six that older readers take.
#pragma once

#include <cstdint>
#include <filesystem>

namespace ampliro {

class MetronomeEngine;

inline constexpr const char* kPreferencesFileName = "VRPREFS.DAT";
inline constexpr int32_t kMinLatencySetting = 1;
inline constexpr int32_t kMaxLatencySetting = 50;
// 8000 Hz (index 0) is never offered but is a rate the stream can run.
inline constexpr int32_t kMinSampleRateIndex = 0;
inline constexpr int32_t kMaxSampleRateIndex = 5;
inline constexpr int32_t kMaxMasterVolume = 64;

// The application's share of the file; the metronome keeps its own three.
struct Preferences {
    int32_t latency = 12;
    int32_t sampleRateIndex = 3;
    int32_t showIntro = 1;
    // The Configuration screen's volume knob, 0..64; full when the file is
    // missing or has only the six older words.
    int32_t masterVolume = kMaxMasterVolume;
};

// Reads the file over the current values: a missing file keeps them all, a
// short one keeps those it does not reach. Values outside their ranges are
// brought into them.
void LoadPreferences(const std::filesystem::path& file, Preferences& settings,
                     MetronomeEngine& metronome);
// Replaces the file whole (see AtomicFile): 0 when written, else the errno
// value of the failure, with the old file left as it was.
int SavePreferences(const std::filesystem::path& file, const Preferences& settings,
                    const MetronomeEngine& metronome);

}  // namespace ampliro
