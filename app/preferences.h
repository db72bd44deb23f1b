// "VRPREFS.DAT": six 32-bit little-endian settings kept from one run to the
// next (latency, sample-rate index, metronome volume, tempo, accent, intro).
#pragma once

#include <cstdint>
#include <filesystem>

namespace ampliro {

class MetronomeEngine;

inline constexpr const char* kPreferencesFileName = "VRPREFS.DAT";
inline constexpr int32_t kMinLatencySetting = 1;
inline constexpr int32_t kMaxLatencySetting = 50;

// The application's share of the file; the metronome keeps its own three.
struct Preferences {
    int32_t latency = 12;
    int32_t sampleRateIndex = 3;
    int32_t showIntro = 1;
};

// Reads the file over the current values: a missing file keeps them all, a
// short one keeps those it does not reach. Values outside their ranges are
// brought into them; the sample-rate index is left to the audio settings.
void LoadPreferences(const std::filesystem::path& file, Preferences& settings,
                     MetronomeEngine& metronome);
// A file that cannot be created is skipped without a word.
void SavePreferences(const std::filesystem::path& file, const Preferences& settings,
                     const MetronomeEngine& metronome);

}  // namespace ampliro
