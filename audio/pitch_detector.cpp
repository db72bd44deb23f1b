#include "audio/pitch_detector.h"

#include <algorithm>
#include <cmath>

namespace ampliro {
namespace {

// YIN's absolute threshold on the normalised difference: the first dip under
// it is the period, which keeps the detector off the octave below.
constexpr float kDipThreshold = static_cast<float>(1.0 - PitchDetector::kMinimumClarity);

// Vertex offset (-0.5..0.5) of the parabola through (-1, a), (0, b), (1, c).
double ParabolaVertex(double a, double b, double c) {
    const double curvature = a - 2.0 * b + c;
    if (curvature <= 0.0) return 0.0;
    return std::clamp(0.5 * (a - c) / curvature, -0.5, 0.5);
}

// Sum of a[j] * b[j]: eight running sums, which the compiler keeps in one
// vector register, summed at the end.
double CrossProduct(const float* a, const float* b, int32_t n) {
    float lanes[8] = {};
    int32_t j = 0;
    for (; j + 8 <= n; j += 8)
        for (int32_t k = 0; k < 8; ++k) lanes[k] += a[j + k] * b[j + k];
    double sum = 0.0;
    for (float lane : lanes) sum += lane;
    for (; j < n; ++j) sum += static_cast<double>(a[j]) * b[j];
    return sum;
}

}  // namespace

PitchDetector::PitchDetector(int32_t sampleRate)
    : sampleRate_(std::max<int32_t>(sampleRate, 4000)),
      minLag_(static_cast<int32_t>(std::floor(sampleRate_ / kHighestHz))),
      maxLag_(static_cast<int32_t>(std::ceil(sampleRate_ / kLowestHz)) + 2),
      x_(static_cast<size_t>(2 * maxLag_)),
      normalised_(static_cast<size_t>(maxLag_ + 1)) {}

double PitchDetector::Difference(int32_t lag) const {
    double sum = 0.0;
    const float* a = x_.data();
    const float* b = x_.data() + lag;
    for (int32_t j = 0; j < maxLag_; ++j) {
        const double d = static_cast<double>(a[j]) - b[j];
        sum += d * d;
    }
    return sum;
}

double PitchDetector::RefineDip(double guess) const {
    const int32_t centre = static_cast<int32_t>(std::lround(guess));
    int32_t best = -1;
    double bestValue = 0.0;
    for (int32_t lag = std::max(centre - 2, 1); lag <= std::min(centre + 2, maxLag_ - 1); ++lag) {
        const double value = Difference(lag);
        if (best < 0 || value < bestValue) {
            best = lag;
            bestValue = value;
        }
    }
    if (best < 0) return 0.0;
    if (best <= 1 || best >= maxLag_ - 1) return best;
    return best + ParabolaVertex(Difference(best - 1), bestValue, Difference(best + 1));
}

PitchEstimate PitchDetector::Analyse(const int16_t* samples) {
    PitchEstimate result;
    const int32_t length = WindowLength();
    double mean = 0.0;
    for (int32_t i = 0; i < length; ++i) mean += samples[i];
    mean /= length;
    double energy = 0.0;
    for (int32_t i = 0; i < length; ++i) {
        const float v = static_cast<float>((samples[i] - mean) / 32768.0);
        x_[static_cast<size_t>(i)] = v;
        energy += static_cast<double>(v) * v;
    }
    result.level = std::sqrt(energy / length);
    if (result.level < kMinimumLevel) return result;

    // d(lag) = E(0) + E(lag) - 2 r(lag), with E(lag) the energy of the
    // maxLag_ samples from lag on and r the cross products; then YIN's
    // cumulative mean normalisation d'(lag) = d(lag) * lag / sum d(1..lag).
    const float* x = x_.data();
    double head = 0.0;
    for (int32_t j = 0; j < maxLag_; ++j) head += static_cast<double>(x[j]) * x[j];
    double shifted = head;
    double running = 0.0;
    normalised_[0] = 1.0f;
    for (int32_t lag = 1; lag <= maxLag_; ++lag) {
        const double leaving = x[lag - 1];
        const double entering = x[lag + maxLag_ - 1];
        shifted += entering * entering - leaving * leaving;
        const double cross = CrossProduct(x, x + lag, maxLag_);
        const double d = std::max(0.0, head + shifted - 2.0 * cross);
        running += d;
        normalised_[static_cast<size_t>(lag)] =
            running > 0.0 ? static_cast<float>(d * lag / running) : 1.0f;
    }

    // The search starts below the range, so that a tone above it finds its
    // own period there instead of a multiple inside the range.
    int32_t period = 0;
    for (int32_t lag = 2; lag < maxLag_; ++lag) {
        if (normalised_[static_cast<size_t>(lag)] >= kDipThreshold) continue;
        while (lag + 1 < maxLag_ &&
               normalised_[static_cast<size_t>(lag + 1)] < normalised_[static_cast<size_t>(lag)])
            ++lag;
        period = lag;
        break;
    }
    if (period == 0) {
        float lowest = 1.0f;
        for (int32_t lag = std::max(minLag_, 2); lag < maxLag_; ++lag)
            lowest = std::min(lowest, normalised_[static_cast<size_t>(lag)]);
        result.clarity = 1.0 - lowest;
        return result;
    }
    result.clarity = 1.0 - normalised_[static_cast<size_t>(period)];
    if (period < minLag_) return result;

    // The dip at k periods lies k times as far out, so its position divided
    // by k has a k times smaller error: double k while the dip stays within
    // the lags the window holds, each step guided by the last estimate.
    double estimate = period + ParabolaVertex(normalised_[static_cast<size_t>(period - 1)],
                                              normalised_[static_cast<size_t>(period)],
                                              normalised_[static_cast<size_t>(period + 1)]);
    const double refined = RefineDip(estimate);
    if (refined > 0.0) estimate = refined;
    for (int32_t k = 2; k * estimate < maxLag_ - 3; k *= 2) {
        const double dip = RefineDip(k * estimate);
        if (dip <= 0.0) break;
        estimate = dip / k;
    }
    const int32_t most = static_cast<int32_t>((maxLag_ - 3) / estimate);
    if (most > 1) {
        const double dip = RefineDip(most * estimate);
        if (dip > 0.0) estimate = dip / most;
    }
    result.hz = sampleRate_ / estimate;
    result.found = result.hz >= kLowestHz && result.hz <= kHighestHz;
    return result;
}

}  // namespace ampliro
