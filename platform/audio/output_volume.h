// The master output volume: a gain in the playback path, kept as the device
// volume word, left channel in the low 16 bits and right in the high 16 bits,
// each 0 (silent) to 0xFFFF (unity). Mono output uses the low half.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ampliro {

uint32_t ReadOutputVolume();
void SetOutputVolume(uint32_t volume);

// dst[i] = src[i] x (low half of volume) / 0xFFFF, truncated toward zero, so
// 0xFFFF copies exactly and 0 gives silence. dst may equal src.
void ApplyOutputVolume(int16_t* dst, const int16_t* src, size_t count, uint32_t volume);

}  // namespace ampliro
