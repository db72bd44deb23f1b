// Preset files: the settings of all nine pedals and the chain order, as raw
// 32-bit little-endian words. The pedals' records come first, in a fixed
// order (Overdrive, Parametric EQ, Pitch Shifter, Phaser, Chorus, Delay,
// Reverb, Graphic EQ, Tremolo: 232 bytes), then the chain as nine effect
// keys, slot 0 first: 268 bytes in all.
//
// A sound that uses the noise gate, the amp or the cabinet (one of them on,
// a knob off its default, or out of its default place) adds a chunk after
// those 268 bytes, which older readers never look at:
//   "AMPX", version (1), byte count of the rest, then
//   the gate's, the amp's and the cabinet's records (6 + 3 + 3 words),
//   the twelve keys of the chain, slot 0 first,
//   the model's and the IR's paths, each a byte count and UTF-8 bytes
//   (empty: none; relative to the user's models or cabinets folder when
//   inside it, absolute otherwise).
// Every other sound is written as the 268 bytes alone, as before.
#pragma once

#include <cstdint>
#include <string>

namespace ampliro {

inline constexpr int32_t kPresetFileSize = 268;
inline constexpr char kPresetChunkTag[4] = {'A', 'M', 'P', 'X'};
inline constexpr int32_t kPresetChunkVersion = 1;

// The folders that a preset's model and IR paths are relative to.
void SetPresetMediaFolders(std::string models, std::string cabinets);

// What a load found besides the settings.
struct PresetLoadReport {
    // The model or IR files that the preset names but that could not be
    // read or played, one a line ("\r" between); the pedal keeps its
    // previous file.
    std::string missing;
    // The chunk after the 268 bytes was damaged, short or of an unknown
    // version: the nine pedals loaded, the other three were left as they
    // were.
    bool chunkDamaged = false;
    bool chunkNewer = false;
};

// Writes the pedals of the program's chain into a temporary file beside path
// and renames it over path once all of it is on the disk. 1 when written; 0
// when it could not be (a pedal missing from the chain, a folder that cannot
// be written, a full disk), with the errno value in error, and any old file at
// path left as it was.
int SavePreset(const char* path, int* error = nullptr);

// Reads what the file holds into the pedals, applies the chain part when it
// names each key 0..8 exactly once (otherwise the order stays), then the
// chunk of the other three pedals if there is one (without it they go back
// to their defaults: off, first and last in the chain), then initialises
// every pedal at the current rate. 1 when read, 0 when the file cannot be
// opened (nothing changes then).
int LoadPreset(const char* path, PresetLoadReport* report);
int LoadPreset(const char* path);

// The report of the last load, and a count of loads so far, for whoever
// tells the user (the Presets screen and MIDI load through the plain form).
const PresetLoadReport& LastPresetLoadReport();
uint32_t PresetLoadCount();

// A sentence for the user about a load's report; empty when all went well.
// Lines end in "\r", where a message box breaks them.
std::string PresetLoadMessage(const PresetLoadReport& report);

}  // namespace ampliro
