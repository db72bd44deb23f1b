// The fixed-point helpers every DSP unit shares: the parameter word the two
// threads exchange, 16-bit saturation, clamps and pi.
#pragma once

#include <atomic>
#include <cmath>
#include <cstdint>

namespace ampliro::dsp {

// A parameter the main thread writes and the audio thread reads: one aligned
// word, stored and loaded whole with relaxed ordering.
template <typename T>
class Shared {
  public:
    Shared(T value = T()) : value_(value) {}
    Shared(const Shared&) = delete;
    Shared& operator=(const Shared&) = delete;
    operator T() const { return value_.load(std::memory_order_relaxed); }
    Shared& operator=(T value) {
        value_.store(value, std::memory_order_relaxed);
        return *this;
    }

  private:
    std::atomic<T> value_;
};

// Single-precision pi and 2 pi, held in doubles: the coefficients and tables
// were first computed with the float constants, and every stored sound
// depends on those exact values.
inline constexpr double kPi = 3.1415927410125732;
inline constexpr double kTwoPi = 6.2831854820251465;

// The one 16-bit saturation: every unit that clips calls this.
constexpr int32_t Saturate16(int64_t x) {
    return x > 32767 ? 32767 : (x < -32768 ? -32768 : static_cast<int32_t>(x));
}

// Truncation toward zero, as a cast would do, but defined for every input:
// values beyond the int32 range saturate and NaN gives 0.
inline int32_t TruncToInt32(double x) {
    if (std::isnan(x)) return 0;
    if (x >= 2147483647.0) return INT32_MAX;
    if (x <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(x);
}

// sum >> Bits, where the low bits a shift would drop are kept in `error`
// (0 .. 2^Bits - 1) and added to the next sum: first-order error feedback.
// Floored alone, a recursive filter's shifts lose half an LSB a step on
// average, and a state a little below its target can stop moving for good:
// after a note the filter holds a constant instead of falling silent. With
// the remainder carried, the quantisation adds nothing at DC, and a damped
// filter fed silence reaches exactly 0.
template <int Bits, typename Error>
constexpr int64_t ShiftCarrying(int64_t sum, Error& error) {
    sum += error;
    error = static_cast<Error>(sum & ((int64_t{1} << Bits) - 1));
    return sum >> Bits;
}

constexpr int32_t ClampInt(int32_t x, int32_t lo, int32_t hi) {
    return x < lo ? lo : (x > hi ? hi : x);
}

// NaN, which no knob can produce, becomes the knob's minimum.
inline float ClampFloat(float x, float lo, float hi) {
    if (!(x >= lo)) return lo;
    return x > hi ? hi : x;
}

}  // namespace ampliro::dsp
