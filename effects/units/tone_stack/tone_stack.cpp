#include "effects/units/tone_stack/tone_stack.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "effects/units/dsp/vector_clones.h"

namespace ampliro::dsp {
namespace {

// Samples per pass of the 32-bit lane kernels; their buffers live on the stack.
constexpr int32_t kChunk = 256;

// Eight 32-bit lanes, one per stage: [low 0, low 1, low 2, low 3, high 0,
// high 1, high 2, high 3], so that each chain fills one 128-bit half and
// moving values one stage on never crosses the halves.
using StageLanes = int32_t __attribute__((vector_size(32)));

// The eight stages as a wavefront: in step t, stage k works on sample
// t - 2k, taking as its input what stage k - 1 produced for that sample two
// steps before (stage 0 takes x[t]). One step is then one vector update of
// all eight stages, and the recursion of each stage is untouched, so every
// stage value is the one the sample loop computes. The skew of two steps
// keeps the move from one stage to the next off the chain that links a
// stage to its own next value, and that chain is shortened by writing the
// sum s 2^15 + (in - s) c + e as s (2^15 - c) + in c + e. The stages'
// carried remainders e ride in a vector of their own, lane for lane.
// Steps 0..5 and count..count+5
// fill and drain the wavefront: there a stage whose sample lies outside the
// chunk keeps its value. After step t the last stages hold the outputs of
// sample t - 6, stored at lastStages[2 t], [2 t + 1] (low, high), so sample
// i is at 2 (i + 6).
//
// Against the plain 64-bit sample loop the wavefront takes the whole chain
// from 58 to 42..48 ns a sample (effects_bench; the Overdrive from 3.6 to 1.2
// us a block and the Reverb from 4.7 to 1.9).
//
// Only for input and state in the 16-bit range and coefficients in
// 0..32768 (ToneStack::FitsNarrowLanes): each product is then within 2^30,
// their sum, 2^15 times a value between s and in, within 2^30 too, and with
// a remainder below 2^15 added, below 2^31.
AMPLIRO_VECTOR_CLONES
void RunStagesSkewed(int32_t* stages, int32_t* errors, const int32_t* coefs, const int32_t* x,
                     int32_t count, int32_t* lastStages) {
    StageLanes s, e, c;
    std::memcpy(&s, stages, sizeof s);
    std::memcpy(&e, errors, sizeof e);
    std::memcpy(&c, coefs, sizeof c);
    const StageLanes keep = 32768 - c;
    const StageLanes sampleOffset = {0, 2, 4, 6, 0, 2, 4, 6};
    StageLanes older = s;  // the stages two steps back
    const auto step = [&](int32_t t, bool whole) {
        // Each half of the older stages shifted up by one lane with the
        // sample entering at the bottom: one byte alignment of (sample, s)
        // per half, taking the sample from the top lane of its broadcast.
        const StageLanes input0 = StageLanes{} + (t < count ? x[t] : 0);
        const StageLanes input = __builtin_shufflevector(input0, older, 3, 8, 9, 10, 7, 12, 13, 14);
        const StageLanes sum = s * keep + input * c + e;
        StageLanes next = sum >> 15;
        StageLanes nextError = sum & 0x7FFF;
        if (!whole) {
            const StageLanes sample = t - sampleOffset;
            const StageLanes inChunk = (sample >= 0) & (sample < count);
            next = s ^ ((next ^ s) & inChunk);
            nextError = e ^ ((nextError ^ e) & inChunk);
        }
        older = s;
        s = next;
        e = nextError;
        const StageLanes last = __builtin_shufflevector(s, s, 3, 7, 3, 7, 3, 7, 3, 7);
        std::memcpy(lastStages + 2 * t, &last, 2 * sizeof(int32_t));
    };
    const int32_t fillEnd = std::min(6, count);
    int32_t t = 0;
    for (; t < fillEnd; ++t) step(t, false);
#pragma GCC unroll 4
    for (; t < count; ++t) step(t, true);
    for (; t < count + 6; ++t) step(t, false);
    std::memcpy(stages, &s, sizeof s);
    std::memcpy(errors, &e, sizeof e);
}

// y = (hg (d - lp2) >> 5) + (lg lp1 >> 5) + (mg (lp2 - lp1) >> 5), with d the
// input three samples back and (lp1, lp2) the pairs from RunStagesSkewed.
// With 16-bit values and gains in 0..64 each term is within 2^17.
AMPLIRO_VECTOR_CLONES
void MixBands(const int32_t* lastStages, const int32_t* delayed, int32_t* out, int32_t count,
              int32_t lg, int32_t mg, int32_t hg) {
    for (int32_t i = 0; i < count; ++i) {
        const int32_t lp1 = lastStages[2 * i];
        const int32_t lp2 = lastStages[2 * i + 1];
        out[i] = ((hg * (delayed[i] - lp2)) >> 5) + ((lg * lp1) >> 5) + ((mg * (lp2 - lp1)) >> 5);
    }
}

AMPLIRO_VECTOR_CLONES
void Widen(const int16_t* __restrict in, int32_t* __restrict x, int32_t count) {
    for (int32_t i = 0; i < count; ++i) x[i] = in[i];
}

constexpr bool Is16Bit(int32_t v) {
    return v >= -32768 && v <= 32767;
}

constexpr bool IsRemainder(int32_t v) {
    return v >= 0 && v <= 0x7FFF;
}

}  // namespace

void ToneStack::Design(double lowHz, double highHz, int32_t sampleRate) {
    for (int k = 0; k < 4; ++k) lowState[k] = highState[k] = lowError[k] = highError[k] = 0;
    for (int32_t& h : history) h = 0;
    lowGain = 32;
    midGain = 32;
    highGain = 32;
    lowCoef = TruncToInt32(std::sin(kPi * lowHz / sampleRate) * 65536.0);
    highCoef = TruncToInt32(std::sin(kPi * highHz / sampleRate) * 65536.0);
}

// With a coefficient c in 0..32768 and a remainder e in 0..32767 a stage
// moves by floor((d c + e) / 32768), which lies between 0 and the difference
// d to its input (both integers), so its
// new value lies between its old value and its input. Fed 16-bit samples, a
// chain that starts in the 16-bit range therefore stays there: |d| <= 65535
// and |d c| <= 65535 x 32768 < 2^31. Cut-offs above a sixth of the rate
// over-relax (c > 32768), overshoot and need the 64-bit loop.
bool ToneStack::FitsNarrowLanes(Gains gains) const {
    const auto gainFits = [](int32_t g) { return g >= 0 && g <= 64; };
    const auto coefFits = [](int32_t c) { return c >= 0 && c <= 32768; };
    if (!gainFits(gains.low) || !gainFits(gains.mid) || !gainFits(gains.high)) return false;
    if (!coefFits(lowCoef) || !coefFits(highCoef)) return false;
    return std::all_of(lowState, lowState + 4, Is16Bit) &&
           std::all_of(highState, highState + 4, Is16Bit) &&
           std::all_of(history, history + 3, Is16Bit) &&
           std::all_of(lowError, lowError + 4, IsRemainder) &&
           std::all_of(highError, highError + 4, IsRemainder);
}

void ToneStack::Run(const int16_t* in, int32_t* out, int32_t count, Gains gains) {
    if (count < 1) return;
    if (!FitsNarrowLanes(gains)) {
        Run(
            count, [in](int32_t i) { return int32_t(in[i]); },
            [out](int32_t i, int32_t y) { out[i] = y; }, gains);
        return;
    }
    for (int32_t start = 0; start < count; start += kChunk) {
        const int32_t n = std::min(kChunk, count - start);
        RunNarrow(in + start, out + start, n, gains);
    }
}

void ToneStack::RunNarrow(const int16_t* in, int32_t* out, int32_t count, Gains gains) {
    // delayed[i] is the input three samples before sample i; the chunk's own
    // input follows its first three entries.
    int32_t delayed[kChunk + 3];
    delayed[0] = history[2];
    delayed[1] = history[1];
    delayed[2] = history[0];
    int32_t* x = delayed + 3;
    Widen(in, x, count);
    int32_t stages[8], errors[8], coefs[8];
    for (int k = 0; k < 4; ++k) {
        stages[k] = lowState[k];
        stages[4 + k] = highState[k];
        errors[k] = lowError[k];
        errors[4 + k] = highError[k];
        coefs[k] = lowCoef;
        coefs[4 + k] = highCoef;
    }
    int32_t lastStages[2 * (kChunk + 6)];
    RunStagesSkewed(stages, errors, coefs, x, count, lastStages);
    MixBands(lastStages + 12, delayed, out, count, gains.low, gains.mid, gains.high);
    for (int k = 0; k < 4; ++k) {
        lowState[k] = stages[k];
        highState[k] = stages[4 + k];
        lowError[k] = errors[k];
        highError[k] = errors[4 + k];
    }
    history[0] = delayed[count + 2];
    history[1] = delayed[count + 1];
    history[2] = delayed[count];
}

}  // namespace ampliro::dsp
