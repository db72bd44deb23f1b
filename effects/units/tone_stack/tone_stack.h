// ToneStack: a three-band tone control. Two chains of four one-pole
// low-passes split the signal at two frequencies into low, mid and high
// bands, which are weighted by three Q5 gains and summed.
//
// Each stage carries the bits its shift drops into its next sample (error
// feedback). Truncated alone, a stage below its input by less than
// 2^15 / c never moved again: after a note a chain held a constant, up to
// -394 at the Overdrive's output at 44.1 kHz, heard as a click when the
// pedal was switched. With the remainder carried, a stage reaches its
// input exactly.
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
    // The low 15 bits each stage's last update dropped, 0..32767.
    int32_t lowError[4] = {};
    int32_t highError[4] = {};
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

// One one-pole stage, s += (in - s) * coef / 32768, with the remainder e of
// the division carried into the next sample: the sum 32768 s + (in - s) coef
// + e splits into the new s (its high bits) and the new e (its low 15). The
// coefficient is sin(pi f / fs) in Q16, so the stage gain per sample is
// 2 sin(pi f / fs); above 32768 (high cut-offs at low rates) a stage
// over-relaxes but stays stable. Products are 64-bit: a Q16 coefficient times
// a 17-bit difference does not fit in 32 bits.
inline int32_t LowPassStage(int32_t& s, int32_t& e, int64_t coef, int32_t in) {
    s = static_cast<int32_t>(ShiftCarrying<15>((int64_t(s) << 15) + (in - int64_t(s)) * coef, e));
    return s;
}

// Four cascaded stages.
inline int32_t LowPassChain(int32_t (&s)[4], int32_t (&e)[4], int64_t coef, int32_t x) {
    for (int k = 0; k < 4; ++k) x = LowPassStage(s[k], e[k], coef, x);
    return x;
}

}  // namespace tone_stack_detail

template <typename In, typename Out>
void ToneStack::Run(int32_t count, In in, Out out, Gains gains) {
    using tone_stack_detail::LowPassChain;
    const int64_t lc = lowCoef, hc = highCoef;
    const int64_t lg = gains.low, mg = gains.mid, hg = gains.high;
    int32_t l[4], h[4], le[4], he[4];
    for (int k = 0; k < 4; ++k) {
        l[k] = lowState[k], h[k] = highState[k];
        le[k] = lowError[k], he[k] = highError[k];
    }
    int32_t d0 = history[0], d1 = history[1], d2 = history[2];
    for (int32_t i = 0; i < count; ++i) {
        const int32_t x = in(i);
        const int32_t lp2 = LowPassChain(h, he, hc, x);
        const int32_t lp1 = LowPassChain(l, le, lc, x);
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
    for (int k = 0; k < 4; ++k) {
        lowState[k] = l[k], highState[k] = h[k];
        lowError[k] = le[k], highError[k] = he[k];
    }
    history[0] = d0, history[1] = d1, history[2] = d2;
}

}  // namespace ampliro::dsp
