// Block forms of the pedals' common per-sample steps, for loops that split a
// pedal's work into passes over a chunk: the non-recursive passes vectorise.
#pragma once

#include <cstdint>

#include "effects/effect.h"

namespace ampliro {

// Effect::ClipSample over a block of 32-bit values into 16-bit samples: the
// same samples, and the peak lamp and its hold count as sample-by-sample
// clipping leaves them at the end of the block.
void ClipBlock(Effect& fx, const int32_t* in, int16_t* out, int32_t count);

// Saturates each value to 16 bits; returns the index of the last value that
// was outside the range, or -1. The peak lamp is left alone.
int32_t SaturateBlock(const int32_t* in, int16_t* out, int32_t count);
int32_t SaturateBlock(const int32_t* in, int32_t* out, int32_t count);

// The peak lamp and hold after `calls` ClipSample calls of which the last
// one that clipped was number lastClippingCall (0-based, -1 for none).
void PeakAfterCalls(Effect& fx, int32_t lastClippingCall, int32_t calls);

// dry[i] = s[i] * level >> 6, the input gain (level 0..64).
void ScaleLevel(const int16_t* samples, int32_t* dry, int32_t count, int32_t level);

// s[i] = (wet[i] * mix + dry[i] * (64 - mix)) >> 6, kept to its low 16 bits
// (mix 0..64, dry within 16 bits).
void MixWetDry(int16_t* samples, const int16_t* wet, const int32_t* dry, int32_t count,
               int32_t mix);

}  // namespace ampliro
