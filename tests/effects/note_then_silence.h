// A plucked note and then silence, for the test that a recursive filter,
// after the note, gives silence for silence (fixed-point filters that floor
// their products tend to stick on a constant instead).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace ampliro::test {

// A second of a decaying note at `hz` (peak 12000), then `silentSeconds` of
// zeros, as samples of type T.
template <typename T>
std::vector<T> NoteThenSilence(int32_t rate, double hz, int32_t silentSeconds) {
    std::vector<T> x(static_cast<size_t>(rate) * (1 + silentSeconds), 0);
    for (int32_t n = 0; n < rate; ++n)
        x[static_cast<size_t>(n)] =
            static_cast<T>(12000 * std::exp(-4.0 * n / rate) * std::sin(2 * M_PI * hz * n / rate));
    return x;
}

// The sample of the last quarter second farthest from 0.
template <typename T>
T LoudestInTheLastQuarterSecond(const std::vector<T>& y, int32_t rate) {
    return *std::max_element(y.end() - rate / 4, y.end(),
                             [](T a, T b) { return std::abs(a) < std::abs(b); });
}

}  // namespace ampliro::test
