#include "effects/units/parametric_eq/parametric_eq.h"

#include <algorithm>
#include <cmath>

#include "effects/units/dsp/level_mix.h"
#include "effects/units/dsp/saturate.h"

namespace ampliro::dsp {
namespace {

void Boost(int32_t* v, int32_t count, int64_t boost) {
    for (int32_t i = 0; i < count; ++i) {
        v[i] = static_cast<int32_t>(std::clamp<int64_t>((boost * v[i]) >> 6, INT32_MIN, INT32_MAX));
    }
}

// The output the mode picks from the four states.
template <int32_t Mode, typename T>
constexpr T Selected(T notch, T low, T high, T band) {
    if constexpr (Mode == ParametricEq::kNotch) return notch;
    if constexpr (Mode == ParametricEq::kLowPass) return low;
    if constexpr (Mode == ParametricEq::kHighPass) return high;
    return band;
}

}  // namespace

// The states carry over: a new rate retunes the filter without a click.
void ParametricEq::Init(int32_t sampleRate) {
    omegaScale_ = (1.0f / (static_cast<float>(sampleRate) * 2.0f)) * static_cast<float>(kPi);
}

void ParametricEq::SetTuning(float resonanceValue, float frequencyHz) {
    const double s = 2.0 * std::sin(static_cast<double>(omegaScale_ * frequencyHz));
    // The cap keeps the discrete filter far from its stability limit; it
    // tops the tuning out near 0.08 fs.
    const float f = static_cast<float>(std::min(0.25, s));
    const double qmax = std::min(2.0, 2.0 / f - f * 0.5);
    const double q =
        (1.0 - std::pow(static_cast<double>(resonanceValue * (1.0f / 64)), 0.25)) * 2.0;
    dampCoef_ = TruncToInt32(std::min(q, qmax) * 1024.0);
    freqCoef_ = TruncToInt32(f * 1024.0f);
}

// The states stay 32-bit as designed and wrap on overflow; the products are
// 64-bit so that an undamped filter (resonance 64) growing past the 32-bit
// range stays defined. Below that range the results are the 32-bit ones.
// Each integrator adds what its shift dropped last time (0..1023) to its
// next step. Without that, a low-pass state within 1024 / fc of rest gave
// the band-pass nothing to move by, and after a note the low-pass held a
// constant (up to 422 at 96 kHz, 262 at 44.1 kHz at 100 Hz); carried, every
// damped setting decays to exactly 0.
// sel[i] is the chosen output for input in[i]; the mode is a template
// parameter so that the loop carries no switch.
template <int32_t Mode>
void ParametricEq::Run(const int32_t* in, int32_t* sel, int32_t count) {
    const int64_t fc = freqCoef_, dc = dampCoef_;
    int32_t lo = low_, hi = high_, bp = band_, no = notch_;
    int64_t lowError = lowError_, bandError = bandError_;
    for (int32_t i = 0; i < count; ++i) {
        no = static_cast<int32_t>(in[i] - ((static_cast<int64_t>(bp) * dc) >> 10));
        lo = static_cast<int32_t>(lo + ShiftCarrying<10>(fc * bp, lowError));
        hi = static_cast<int32_t>(static_cast<int64_t>(no) - lo);
        bp = static_cast<int32_t>(bp + ShiftCarrying<10>(hi * fc, bandError));
        sel[i] = Selected<Mode>(no, lo, hi, bp);
    }
    low_ = lo, high_ = hi, band_ = bp, notch_ = no;
    lowError_ = static_cast<int32_t>(lowError), bandError_ = static_cast<int32_t>(bandError);
}

// The same filter while every value stays within 32 bits, which is what it
// does unless it is growing without bound: no wrap happens, so 64-bit states
// give the same values without narrowing them each step. The band-pass
// update is also rearranged to wait on less: with A = bp dc >> 10 and
// B = (fc bp + eL) >> 10 the new high-pass is (in - lo) - (A + B), and the
// band-pass's sum 1024 bp + hi fc + eB is 1024 bp + (in - lo) fc + eB
// - (A + B) fc, where only (A + B) fc waits on bp's products. It stops,
// returning false and leaving the states as they were, at the first value
// outside 32 bits; until then every product stays below 2^44.
template <int32_t Mode>
bool ParametricEq::RunInRange(const int32_t* in, int32_t* sel, int32_t count) {
    const int64_t fc = freqCoef_, dc = dampCoef_;
    int64_t lo = low_, hi = high_, bp = band_, no = notch_;
    int64_t lowError = lowError_, bandError = bandError_;
    for (int32_t i = 0; i < count; ++i) {
        const int64_t x = in[i];
        const int64_t a = (bp * dc) >> 10;
        const int64_t b = ShiftCarrying<10>(fc * bp, lowError);
        const int64_t nextBand =
            ShiftCarrying<10>(bp * 1024 + (x - lo) * fc - (a + b) * fc, bandError);
        no = x - a;
        lo += b;
        hi = no - lo;
        bp = nextBand;
        // v ^ (v >> 63) is v, or -v - 1 when negative: below 2^31 for all
        // four exactly when all four fit in 32 bits.
        const uint64_t reach = static_cast<uint64_t>((no ^ (no >> 63)) | (lo ^ (lo >> 63)) |
                                                     (hi ^ (hi >> 63)) | (bp ^ (bp >> 63)));
        if (reach >> 31 != 0) return false;
        sel[i] = static_cast<int32_t>(Selected<Mode>(no, lo, hi, bp));
    }
    low_ = static_cast<int32_t>(lo), high_ = static_cast<int32_t>(hi);
    band_ = static_cast<int32_t>(bp), notch_ = static_cast<int32_t>(no);
    lowError_ = static_cast<int32_t>(lowError), bandError_ = static_cast<int32_t>(bandError);
    return true;
}

template <int32_t Mode>
void ParametricEq::RunMode(const int32_t* in, int32_t* sel, int32_t count) {
    if (!RunInRange<Mode>(in, sel, count)) Run<Mode>(in, sel, count);
}

// The boost, (gain + 64) x sel >> 6, held to the 32-bit range, in place.
void ParametricEq::RunBlock(const int32_t* in, int32_t* out, int32_t count) {
    switch (static_cast<int32_t>(mode_)) {
        case kNotch:
            RunMode<kNotch>(in, out, count);
            break;
        case kLowPass:
            RunMode<kLowPass>(in, out, count);
            break;
        case kHighPass:
            RunMode<kHighPass>(in, out, count);
            break;
        default:
            RunMode<kBandPass>(in, out, count);
    }
    const int64_t boost = gain_ + 64;
    Boost(out, count, boost);
}

int32_t ParametricEq::Step(int32_t x) {
    int32_t y = 0;
    RunBlock(&x, &y, 1);
    return y;
}

// dry = s x level >> 6, wet = clip(boost(filter(dry))), then the mix, each a
// pass over a chunk; only the filter itself is a recursion.
ClipReport ParametricEq::Process(int16_t* samples, size_t total) {
    constexpr int32_t kChunk = 256;
    const int32_t count = static_cast<int32_t>(total);
    ClipReport report{-1, count};
    int32_t dry[kChunk];
    int32_t boosted[kChunk];
    int16_t wet[kChunk];
    const int32_t lvl = level_, wetShare = mix_;
    for (int32_t start = 0; start < count; start += kChunk) {
        const int32_t n = std::min(kChunk, count - start);
        int16_t* block = samples + start;
        ScaleLevel(block, dry, n, lvl);
        RunBlock(dry, boosted, n);
        const int32_t last = SaturateBlock(boosted, wet, n);
        if (last >= 0) report.lastClip = start + last;
        MixWetDry(block, wet, dry, n, wetShare);
    }
    return report;
}

}  // namespace ampliro::dsp
