// Preset files: the settings of all nine pedals and the chain order, as raw
// 32-bit little-endian words. The pedals' records come first, in a fixed
// order (Overdrive, Parametric EQ, Pitch Shifter, Phaser, Chorus, Delay,
// Reverb, Graphic EQ, Tremolo: 232 bytes), then the chain as nine effect
// keys, slot 0 first: 268 bytes in all.
#pragma once

#include <cstdint>

namespace ampliro {

inline constexpr int32_t kPresetFileSize = 268;

// Writes the pedals of the program's chain into a temporary file beside path
// and renames it over path once all of it is on the disk. 1 when written; 0
// when it could not be (a pedal missing from the chain, a folder that cannot
// be written, a full disk), with the errno value in error, and any old file at
// path left as it was.
int SavePreset(const char* path, int* error = nullptr);

// Reads what the file holds into the pedals, applies the chain part when it
// names each key 0..8 exactly once (otherwise the order stays), then
// initialises every pedal at the current rate. 1 when read, 0 when the file
// cannot be opened (nothing changes then).
int LoadPreset(const char* path);

}  // namespace ampliro
