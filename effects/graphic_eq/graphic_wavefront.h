// The Graphic EQ's seven biquads in series, run as a wavefront: lane k of
// two four-lane AVX2 registers holds band k, and at step t it filters sample
// t - 2k, taking as input the output band k - 1 produced two steps before.
// All seven bands then advance together, one step per sample, with the same
// 64-bit sums and the same truncation as band after band; the two steps
// between neighbours keep the move from lane to lane out of the recursion.
#pragma once

#include <cstdint>

namespace ampliro {

inline constexpr int kWavefrontLanes = 7;
inline constexpr int kWavefrontSkew = 2;
// The shortest block the wavefront takes: it fills over this many samples.
inline constexpr int kWavefrontMinCount = kWavefrontSkew * (kWavefrontLanes - 1);

struct WavefrontBands {
    // Q15 coefficients c0..c4 per band (see GraphicBank); a band marked
    // inactive passes its input through and its state is left untouched.
    int32_t c[kWavefrontLanes][5];
    bool active[kWavefrontLanes];
    // x1, x2, y1, y2 per band, read at the start and written back at the end.
    int32_t* state[kWavefrontLanes];
};

// True when this CPU runs the wavefront; otherwise the caller runs the bands
// one after another.
bool WavefrontAvailable();
// Filters x[0..count-1] in place through the seven bands. Needs count of at
// least kWavefrontMinCount and WavefrontAvailable().
void RunWavefront(WavefrontBands& bands, int32_t* x, int32_t count);

}  // namespace ampliro
