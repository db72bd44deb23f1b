// PitchDetector: the fundamental frequency of one window of mono samples, by
// the YIN method (de Cheveigne and Kawahara, 2002) with a refinement over
// many periods for sub-cent precision. Runs on the main thread; the buffers
// are made once, in the constructor.
#pragma once

#include <cstdint>
#include <vector>

namespace ampliro {

struct PitchEstimate {
    bool found = false;
    double hz = 0.0;
    // 1 minus YIN's normalised difference at the period: 1 for a pure tone,
    // near 0 for noise.
    double clarity = 0.0;
    // Root mean square of the window, full scale = 1.
    double level = 0.0;
};

class PitchDetector {
  public:
    // The range a guitar or bass tuner needs, with room round it.
    static constexpr double kLowestHz = 50.0;
    static constexpr double kHighestHz = 1400.0;
    // Below this clarity the window holds no note (noise, a chord, an attack).
    static constexpr double kMinimumClarity = 0.85;
    // Below this level (about -52 dB full scale) the input counts as silence.
    static constexpr double kMinimumLevel = 0.0025;

    explicit PitchDetector(int32_t sampleRate);

    int32_t SampleRate() const { return sampleRate_; }
    // Samples Analyse reads: two of the longest periods.
    int32_t WindowLength() const { return 2 * maxLag_; }

    // samples: WindowLength() of them, oldest first.
    PitchEstimate Analyse(const int16_t* samples);

  private:
    // Sum over the first maxLag_ samples of (x[j] - x[j + lag])^2, in double
    // so that the dips near the period keep their precision.
    double Difference(int32_t lag) const;
    // The lag of the smallest difference within +-2 of guess, refined by a
    // parabola through it and its neighbours; 0 when no dip lies there.
    double RefineDip(double guess) const;

    int32_t sampleRate_;
    int32_t minLag_;
    int32_t maxLag_;
    std::vector<float> x_;
    std::vector<float> normalised_;
};

}  // namespace ampliro
