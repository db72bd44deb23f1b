#include "effects/tone_stack.h"

#include <cmath>

namespace ampliro {
namespace {

// Single-precision pi, as the coefficients were first computed with.
constexpr double kPi = 3.1415927410125732;

// Four cascaded one-pole stages, s += (in - s) * coef / 32768. The coefficient
// is sin(pi f / fs) in Q16, so the stage gain per sample is 2 sin(pi f / fs);
// above 32768 (high cut-offs at low rates) a stage over-relaxes but stays
// stable. Products are 64-bit: a Q16 coefficient times a 17-bit difference
// does not fit in 32 bits.
inline int32_t LowPassChain(int32_t (&state)[4], int64_t coef, int32_t x) {
    int64_t s = x;
    for (int32_t& stage : state) {
        stage = static_cast<int32_t>(stage + (((s - stage) * coef) >> 15));
        s = stage;
    }
    return static_cast<int32_t>(s);
}

}  // namespace

void ToneStack::Design(double lowHz, double highHz, int32_t sampleRate) {
    for (int k = 0; k < 4; ++k) lowState[k] = highState[k] = 0;
    for (int32_t& h : history) h = 0;
    lowGain = 32;
    midGain = 32;
    highGain = 32;
    lowCoef = TruncToInt32(std::sin(kPi * lowHz / sampleRate) * 65536.0);
    highCoef = TruncToInt32(std::sin(kPi * highHz / sampleRate) * 65536.0);
}

int32_t ToneStack::Process(int32_t x) {
    const int32_t lp2 = LowPassChain(highState, highCoef, x);
    const int32_t lp1 = LowPassChain(lowState, lowCoef, x);
    // The chains delay by about three samples, so the high band is taken
    // against the input of three calls ago; at unity gains the three bands
    // sum back to exactly that delayed input.
    const int64_t high = static_cast<int64_t>(history[2]) - lp2;
    const int64_t low = lp1;
    const int64_t mid = static_cast<int64_t>(lp2) - lp1;
    const int64_t y = ((highGain * high) >> 5) + ((lowGain * low) >> 5) + ((midGain * mid) >> 5);
    history[2] = history[1];
    history[1] = history[0];
    history[0] = x;
    return static_cast<int32_t>(y);
}

}  // namespace ampliro
