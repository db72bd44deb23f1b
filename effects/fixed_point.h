// Small helpers for the pedals' fixed-point arithmetic and their parameters.
#pragma once

#include <atomic>
#include <cmath>
#include <cstdint>

namespace ampliro {

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

constexpr int32_t ClampInt(int32_t x, int32_t lo, int32_t hi) {
    return x < lo ? lo : (x > hi ? hi : x);
}

// NaN, which no knob can produce, becomes the knob's minimum.
inline float ClampFloat(float x, float lo, float hi) {
    if (!(x >= lo)) return lo;
    return x > hi ? hi : x;
}

}  // namespace ampliro
