// Block kernels around a pedal's own wet loop: the levelled dry input, the
// saturated wet mixed back with it, and the Peak lamp's account of a block of
// ClipSample calls.
#pragma once

#include <cstdint>

#include "effects/effect.h"

namespace ampliro {

// dry[i] = s[i] x level >> 6. With level in 0..64 (every Load and slider
// clamps it) dry stays within -32768..32767.
void LevelBlock(const int16_t* samples, int32_t* dry, int32_t count, int32_t level);

// s[i] = (saturate16(wet[i]) x mix + dry[i] x (64 - mix)) >> 6, kept to its
// low 16 bits. Returns 1 + the index of the last wet sample that saturation
// changed, or 0 when none did.
int32_t MixSaturated(int16_t* samples, const int32_t* dry, const int32_t* wet, int32_t count,
                     int32_t mix);

// The Peak lamp and its hold after `calls` ClipSample calls of which call
// number lastClip (counted from 1; 0 for none) was the last to clip: exactly
// what the calls one by one leave behind.
void AccountClips(Effect& effect, int32_t calls, int32_t lastClip);

}  // namespace ampliro
