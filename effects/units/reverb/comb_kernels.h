// The reverb's comb passes over runs of a block that no comb wraps within.
#pragma once

#include <cstdint>

namespace ampliro::dsp {

// Two combs over one run: e = line[k], line[k] = x[k] + (gain e >> 12)
// (kept to 32 bits) for each, and both echoes join the sums of sample k as
// highs[k] += e >> 16, lows[k] += e & 0xFFFF. For gains of |gain| < 2^15.
void RunCombPairSpan(int32_t* __restrict lineA, int32_t* __restrict lineB,
                     const int32_t* __restrict x, int32_t* __restrict highs,
                     int32_t* __restrict lows, int32_t count, int32_t gainA, int32_t gainB);
// One comb over such a run, for any gain, with a 64-bit product.
void RunCombSpanWide(int32_t* line, const int32_t* x, int32_t* highs, int32_t* lows, int32_t count,
                     int32_t gain);

// sum >> 3 for a sum of eight echoes given as its two parts: 8 divides
// 65536, so it is 8192 high + (low >> 3). With high in -2^18..2^18 - 8 and
// low >> 3 in 0..65535 that lies within the int32 range, as any int32 sum
// of eight int32 values over 8 does.
constexpr int32_t EchoSumOver8(int32_t high, int32_t low) {
    return high * 8192 + (low >> 3);
}

// The echo sums of a chunk over 8.
void EchoesOver8(const int32_t* highs, const int32_t* lows, int32_t* echoes, int32_t count);

}  // namespace ampliro::dsp
