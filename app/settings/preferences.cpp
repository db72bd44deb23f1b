#include "app/settings/preferences.h"

#include <algorithm>
#include <cstdio>

#include "app/metronome/metronome_engine.h"
#include "effects/record_io.h"
#include "platform/files/atomic_file.h"

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
        ReadInt32(in, settings.showIntro) && ReadInt32(in, settings.masterVolume);
    std::fclose(in);
    settings.latency = std::clamp(settings.latency, kMinLatencySetting, kMaxLatencySetting);
    settings.sampleRateIndex =
        std::clamp(settings.sampleRateIndex, kMinSampleRateIndex, kMaxSampleRateIndex);
    settings.masterVolume = std::clamp(settings.masterVolume, 0, kMaxMasterVolume);
    metronome.SetVolume(volume);
    metronome.SetAccent(accent);
    metronome.SetTempo(tempo);
}

int SavePreferences(const std::filesystem::path& file, const Preferences& settings,
                    const MetronomeEngine& metronome) {
    AtomicFile target(file.string());
    if (std::FILE* out = target.Open()) {
        WriteInt32(out, settings.latency);
        WriteInt32(out, settings.sampleRateIndex);
        WriteInt32(out, metronome.Volume());
        WriteInt32(out, metronome.Tempo());
        WriteInt32(out, metronome.Accent());
        WriteInt32(out, settings.showIntro);
        WriteInt32(out, settings.masterVolume);
    }
    return target.Commit() ? 0 : target.Error();
}

}  // namespace ampliro
