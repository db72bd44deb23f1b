// Test signals for the tuner: sines, Karplus-Strong plucked strings with an
// exactly known pitch, white noise.
#pragma once

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

namespace ampliro::test {

inline int16_t ToSample(double v) {
    return static_cast<int16_t>(std::lround(std::clamp(v, -1.0, 32767.0 / 32768.0) * 32768.0));
}

inline std::vector<int16_t> Sine(double hz, int32_t rate, double seconds, double amplitude = 0.5,
                                 double phase = 0.3) {
    std::vector<int16_t> out(static_cast<size_t>(seconds * rate));
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = ToSample(amplitude * std::sin(2.0 * std::numbers::pi * hz * i / rate + phase));
    return out;
}

inline std::vector<int16_t> Noise(int32_t rate, double seconds, double amplitude, uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    std::vector<int16_t> out(static_cast<size_t>(seconds * rate));
    for (auto& s : out) s = ToSample(amplitude * uniform(random));
    return out;
}

// A string plucked after `silence` seconds: a delay line of N samples, the
// two-point average (half a sample of delay at every frequency), a first-order
// all-pass for the fraction and a loss of 0.996 per round. The loop's delay at
// the fundamental, N + 0.5 + the all-pass's phase delay there, sets the pitch;
// `hz` is solved from it, so it is the string's true pitch to well under a
// hundredth of a cent.
struct PluckedString {
    std::vector<int16_t> samples;
    double hz = 0.0;
};

inline double AllPassPhaseDelay(double a, double omega) {
    const std::complex<double> z = std::polar(1.0, -omega);
    return -std::arg((a + z) / (1.0 + a * z)) / omega;
}

inline PluckedString KarplusStrong(double targetHz, int32_t rate, double seconds, uint32_t seed = 7,
                                   double silence = 0.1) {
    const double loop = rate / targetHz;
    const int32_t n = static_cast<int32_t>(std::floor(loop - 0.6));
    const double fraction = loop - 0.5 - n;
    const double a = (1.0 - fraction) / (1.0 + fraction);
    PluckedString result;
    double hz = targetHz;
    for (int i = 0; i < 50; ++i)
        hz = rate / (n + 0.5 + AllPassPhaseDelay(a, 2.0 * std::numbers::pi * hz / rate));
    result.hz = hz;

    std::mt19937 random(seed);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    std::vector<double> line(static_cast<size_t>(n));
    double mean = 0.0;
    for (auto& v : line) mean += (v = uniform(random));
    for (auto& v : line) v -= mean / n;

    const size_t lead = static_cast<size_t>(silence * rate);
    result.samples.assign(static_cast<size_t>(seconds * rate), 0);
    double previous = 0.0, apIn = 0.0, apOut = 0.0;
    size_t index = 0;
    for (size_t i = lead; i < result.samples.size(); ++i) {
        const double delayed = line[index];
        const double average = 0.5 * (delayed + previous);
        previous = delayed;
        const double passed = a * average + apIn - a * apOut;
        apIn = average;
        apOut = passed;
        line[index] = 0.996 * passed;
        index = (index + 1) % line.size();
        result.samples[i] = ToSample(0.4 * delayed);
    }
    return result;
}

inline double Cents(double hz, double reference) {
    return 1200.0 * std::log2(hz / reference);
}

}  // namespace ampliro::test
