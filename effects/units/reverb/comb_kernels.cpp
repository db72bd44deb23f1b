#include "effects/units/reverb/comb_kernels.h"

#include "effects/units/dsp/vector_clones.h"

namespace ampliro::dsp {

// A comb's new entry x + (gain e >> 12), kept to 32 bits, for an echo e and
// |gain| < 2^15 (SetReverb gives 0..4096). With e = 65536 h + l (l the low
// 16 bits), gain e >> 12 = 16 gain h + (gain l >> 12) exactly; gain l fits
// in 32 bits, and only the low 32 bits of 16 gain h matter.
namespace {

inline int32_t CombEntry(int32_t x, int32_t e, int32_t gain) {
    const uint32_t high = static_cast<uint32_t>(e >> 16) * (static_cast<uint32_t>(gain) * 16u);
    const uint32_t low = static_cast<uint32_t>((gain * (e & 0xFFFF)) >> 12);
    return static_cast<int32_t>(static_cast<uint32_t>(x) + high + low);
}

}  // namespace

// Two combs over one run that neither wraps within: e = line[k],
// line[k] = CombEntry(x[k], e, gain) for each, and both echoes join the
// sums of sample k. No position repeats within a run, so each echo is the
// value written one comb length earlier and the loop carries nothing from
// one sample to the next.
AMPLIRO_VECTOR_CLONES
void RunCombPairSpan(int32_t* __restrict lineA, int32_t* __restrict lineB,
                     const int32_t* __restrict x, int32_t* __restrict highs,
                     int32_t* __restrict lows, int32_t count, int32_t gainA, int32_t gainB) {
    for (int32_t k = 0; k < count; ++k) {
        const int32_t a = lineA[k];
        const int32_t b = lineB[k];
        lineA[k] = CombEntry(x[k], a, gainA);
        lineB[k] = CombEntry(x[k], b, gainB);
        highs[k] += (a >> 16) + (b >> 16);
        lows[k] += (a & 0xFFFF) + (b & 0xFFFF);
    }
}

// One comb over such a run, for any gain, with a 64-bit product.
void RunCombSpanWide(int32_t* line, const int32_t* x, int32_t* highs, int32_t* lows, int32_t count,
                     int32_t gain) {
    for (int32_t k = 0; k < count; ++k) {
        const int32_t e = line[k];
        line[k] = static_cast<int32_t>(x[k] + ((static_cast<int64_t>(gain) * e) >> 12));
        highs[k] += e >> 16;
        lows[k] += e & 0xFFFF;
    }
}

// The echo sums of a chunk over 8.
AMPLIRO_VECTOR_CLONES
void EchoesOver8(const int32_t* highs, const int32_t* lows, int32_t* echoes, int32_t count) {
    for (int32_t i = 0; i < count; ++i) echoes[i] = EchoSumOver8(highs[i], lows[i]);
}

}  // namespace ampliro::dsp
