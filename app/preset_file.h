// Preset files: the settings of all nine pedals and the chain order, as raw
// 32-bit little-endian words. The pedals' records come first, in a fixed
// order (Overdrive, Parametric EQ, Pitch Shifter, Phaser, Chorus, Delay,
// Reverb, Graphic EQ, Tremolo: 232 bytes), then the chain as nine effect
// keys, slot 0 first: 268 bytes in all.
#pragma once

#include <cstdint>

namespace ampliro {

inline constexpr int32_t kPresetFileSize = 268;

// Writes the pedals of the program's chain. 1 when written, 0 when the file
// cannot be created (or a pedal is missing from the chain).
int SavePreset(const char* path);

// Reads what the file holds into the pedals, applies the chain part when it
// names each key 0..8 exactly once (otherwise the order stays), then
// initialises every pedal at the current rate. 1 when read, 0 when the file
// cannot be opened (nothing changes then).
int LoadPreset(const char* path);

}  // namespace ampliro
