// GraphicBank: seven octave-spaced peaking biquads in Q15, run in series; a
// band at 0 dB is skipped and keeps its state frozen.
#pragma once

#include <cstdint>
#include <memory>

#include "effects/units/dsp/fixed_point.h"

namespace ampliro::dsp {

inline constexpr int kGraphicBands = 7;
inline constexpr int32_t kBandCentreHz[kGraphicBands] = {100, 200, 400, 800, 1600, 3200, 6400};
inline constexpr int32_t kBandWidthHz[kGraphicBands] = {100, 200, 400, 800, 1600, 3200, 6400};

struct BiquadCoefficients {
    int32_t c[5];
};

// Cookbook peaking EQ, normalised by a0: c0..c2 are b0..b2, c3 and c4 the
// negated feedback terms -a1, -a2, all Q15.
BiquadCoefficients DesignPeakingBiquad(double fs, double f0, double bw, double dB);

class GraphicBank {
  public:
    // Rebuilds the bank for a rate, every band at 0 dB with cleared state.
    // Returns false when the bank cannot be allocated; it then skips every
    // band and passes the signal through.
    bool Setup(int32_t rate);
    // Redesigns one band in place; its state is kept.
    void SetBand(int band, int32_t dB);
    int32_t Process(int32_t x) {
        ProcessBlock(&x, 1);
        return x;
    }
    // Process over a block, in place. Each band is a function of its own
    // input sequence only, so running the block through band 0, then band 1
    // and so on gives the same samples as running each sample through the
    // seven bands, with one band's coefficients and state in registers.
    void ProcessBlock(int32_t* x, int32_t count);

    bool ready() const { return bands_ != nullptr; }
    int32_t Gain(int band) const { return gains_ ? int32_t(gains_[band]) : 0; }
    int32_t Coefficient(int band, int k) const { return bands_[band].c[k]; }

    int32_t bankRate = 0;

  private:
    struct Band {
        Shared<int32_t> c[5];
        // x1, x2, y1, y2, and the low bits the last shift dropped
        std::unique_ptr<int32_t[]> state;
    };
    std::unique_ptr<Shared<int32_t>[]> gains_;
    std::unique_ptr<Band[]> bands_;
};

}  // namespace ampliro::dsp
