// The Graphic EQ's seven biquads in series, run as a wavefront: lane k of
// two four-lane AVX2 registers holds band k, and at step t it filters sample
// t - k, taking as input the output band k - 1 produced one step before. All
// seven bands then advance together, one step per sample, with the same
// 64-bit sums and the same truncation as band after band.
#pragma once

#include <cstdint>

namespace ampliro {

inline constexpr int kWavefrontLanes = 7;

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
// least kWavefrontLanes and WavefrontAvailable().
void RunWavefront(WavefrontBands& bands, int32_t* x, int32_t count);

}  // namespace ampliro
