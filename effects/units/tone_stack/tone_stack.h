// ToneStack: a three-band tone control. Two chains of four one-pole
// low-passes split the signal at two frequencies into low, mid and high
// bands, which are weighted by three Q5 gains and summed.
#pragma once

#include <cstdint>

#include "effects/units/dsp/fixed_point.h"

namespace ampliro::dsp {

class ToneStack {
  public:
    struct Gains {
        int32_t low, mid, high;
    };

    // Clears the whole record, sets the gains to unity (32) and tunes the low
    // chain to lowHz and the upper chain to highHz.
    void Design(double lowHz, double highHz, int32_t sampleRate);
    // One sample; not clamped, since gains above 32 may leave the 16-bit range.
    int32_t Process(int32_t x) {
        int32_t y = 0;
        Run(
            1, [x](int32_t) { return x; }, [&y](int32_t, int32_t out) { y = out; }, LoadGains());
        return y;
    }
    // The three gains, loaded once for a block.
    Gains LoadGains() const { return {lowGain, midGain, highGain}; }
    // The same over a block of 16-bit samples at the gains given:
    // out[i] = Process(in[i]).
    void Run(const int16_t* in, int32_t* out, int32_t count, Gains gains);

    int32_t lowCoef = 0;
    int32_t lowState[4] = {};
    int32_t highCoef = 0;
    int32_t highState[4] = {};
    int32_t history[3] = {};
    Shared<int32_t> lowGain{32};
    Shared<int32_t> midGain{32};
    Shared<int32_t> highGain{32};

  private:
    // The sample loop, in 64-bit arithmetic: out(i, Process(in(i))) for
    // i = 0..count-1, with in(i) called before out(i, ..) and out(i, ..)
    // before in(i + 1), at the gains given. State and coefficients are held in
    // locals for the block so the loop runs in registers.
    template <typename In, typename Out>
    void Run(int32_t count, In in, Out out, Gains gains);
    // Whether a chunk of 16-bit input may run in 32-bit lanes (see the .cpp).
    bool FitsNarrowLanes(Gains gains) const;
    void RunNarrow(const int16_t* in, int32_t* out, int32_t count, Gains gains);
};

namespace tone_stack_detail {

// Four cascaded one-pole stages, s += (in - s) * coef / 32768. The coefficient
// is sin(pi f / fs) in Q16, so the stage gain per sample is 2 sin(pi f / fs);
// above 32768 (high cut-offs at low rates) a stage over-relaxes but stays
// stable. Products are 64-bit: a Q16 coefficient times a 17-bit difference
// does not fit in 32 bits.
inline int32_t LowPassChain(int32_t& s0, int32_t& s1, int32_t& s2, int32_t& s3, int64_t coef,
                            int32_t x) {
    s0 = static_cast<int32_t>(s0 + (((x - int64_t(s0)) * coef) >> 15));
    s1 = static_cast<int32_t>(s1 + (((s0 - int64_t(s1)) * coef) >> 15));
    s2 = static_cast<int32_t>(s2 + (((s1 - int64_t(s2)) * coef) >> 15));
    s3 = static_cast<int32_t>(s3 + (((s2 - int64_t(s3)) * coef) >> 15));
    return s3;
}

}  // namespace tone_stack_detail

template <typename In, typename Out>
void ToneStack::Run(int32_t count, In in, Out out, Gains gains) {
    using tone_stack_detail::LowPassChain;
    const int64_t lc = lowCoef, hc = highCoef;
    const int64_t lg = gains.low, mg = gains.mid, hg = gains.high;
    int32_t l0 = lowState[0], l1 = lowState[1], l2 = lowState[2], l3 = lowState[3];
    int32_t h0 = highState[0], h1 = highState[1], h2 = highState[2], h3 = highState[3];
    int32_t d0 = history[0], d1 = history[1], d2 = history[2];
    for (int32_t i = 0; i < count; ++i) {
        const int32_t x = in(i);
        const int32_t lp2 = LowPassChain(h0, h1, h2, h3, hc, x);
        const int32_t lp1 = LowPassChain(l0, l1, l2, l3, lc, x);
        // The chains delay by about three samples, so the high band is taken
        // against the input of three calls ago; at unity gains the three bands
        // sum back to exactly that delayed input.
        const int64_t high = static_cast<int64_t>(d2) - lp2;
        const int64_t low = lp1;
        const int64_t mid = static_cast<int64_t>(lp2) - lp1;
        const int64_t y = ((hg * high) >> 5) + ((lg * low) >> 5) + ((mg * mid) >> 5);
        d2 = d1;
        d1 = d0;
        d0 = x;
        out(i, static_cast<int32_t>(y));
    }
    lowState[0] = l0, lowState[1] = l1, lowState[2] = l2, lowState[3] = l3;
    highState[0] = h0, highState[1] = h1, highState[2] = h2, highState[3] = h3;
    history[0] = d0, history[1] = d1, history[2] = d2;
}

}  // namespace ampliro::dsp
