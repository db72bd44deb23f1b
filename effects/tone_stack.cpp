#include "effects/tone_stack.h"

#include <cmath>

namespace ampliro {
namespace {

// Single-precision pi, as the coefficients were first computed with.
constexpr double kPi = 3.1415927410125732;

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

}  // namespace ampliro
