// Saturation of a block of 32-bit values to 16 bits, reporting where it
// acted so that the caller can drive a peak lamp.
#pragma once

#include <cstdint>

namespace ampliro::dsp {

// Saturates each value to 16 bits; returns the index of the last value that
// was outside the range, or -1.
int32_t SaturateBlock(const int32_t* in, int16_t* out, int32_t count);
int32_t SaturateBlock(const int32_t* in, int32_t* out, int32_t count);

}  // namespace ampliro::dsp
