// The channel-parallel blend shared by every translucent drawing operation.
//
// A pixel is spread into 32 bits as (p | p << 16) & 0x07E0F81F: green moves to
// bits 26-21 while red (15-11) and blue (4-0) stay, leaving five spare bits
// above each channel. A weighted sum with weights adding up to 32 therefore
// never carries from one channel into the next, and one multiply per operand
// blends all three channels at once.
#pragma once

#include <algorithm>
#include <cstdint>

namespace ampliro {

inline constexpr uint32_t kSpreadMask = 0x07E0F81F;

constexpr uint32_t Spread(uint16_t p) {
    return (p | (static_cast<uint32_t>(p) << 16)) & kSpreadMask;
}

// Weights w and 32 - w; the result is masked and folded back to 16 bits.
constexpr uint16_t FoldSpread(uint32_t sum) {
    const uint32_t r = (sum >> 5) & kSpreadMask;
    return static_cast<uint16_t>(r | (r >> 16));
}

// New colour c over pixel p, alpha = weight 0..32 of p.
constexpr uint16_t BlendPixel(uint16_t c, uint16_t p, uint32_t alpha) {
    return FoldSpread(Spread(c) * (32 - alpha) + Spread(p) * alpha);
}

// Out-of-range weights would wrap the unsigned products; keep them in 0..32.
constexpr uint32_t ClampAlpha(int32_t alpha, int32_t top = 32) {
    return static_cast<uint32_t>(std::clamp(alpha, 0, top));
}

}  // namespace ampliro
