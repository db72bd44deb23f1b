#include "app/preferences.h"

#include <algorithm>
#include <cstdio>

#include "app/metronome_engine.h"
#include "effects/record_io.h"

namespace ampliro {

void LoadPreferences(const std::filesystem::path& file, Preferences& settings,
                     MetronomeEngine& metronome) {
    std::FILE* in = std::fopen(file.c_str(), "rb");
    if (!in) return;
    int32_t volume = metronome.Volume();
    int32_t tempo = metronome.Tempo();
    int32_t accent = metronome.Accent();
    // Each read stops at the end of the file and leaves the rest as they are.
    ReadInt32(in, settings.latency) && ReadInt32(in, settings.sampleRateIndex) &&
        ReadInt32(in, volume) && ReadInt32(in, tempo) && ReadInt32(in, accent) &&
        ReadInt32(in, settings.showIntro);
    std::fclose(in);
    settings.latency = std::clamp(settings.latency, kMinLatencySetting, kMaxLatencySetting);
    metronome.SetVolume(volume);
    metronome.SetAccent(accent);
    metronome.SetTempo(tempo);
}

void SavePreferences(const std::filesystem::path& file, const Preferences& settings,
                     const MetronomeEngine& metronome) {
    std::FILE* out = std::fopen(file.c_str(), "wb");
    if (!out) return;
    WriteInt32(out, settings.latency);
    WriteInt32(out, settings.sampleRateIndex);
    WriteInt32(out, metronome.Volume());
    WriteInt32(out, metronome.Tempo());
    WriteInt32(out, metronome.Accent());
    WriteInt32(out, settings.showIntro);
    std::fclose(out);
}

}  // namespace ampliro
