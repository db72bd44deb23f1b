#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "effects/units/cabinet_model/closed_back_cabinet.h"

namespace ampliro::dsp {
namespace {

// The response's level at `hz`, in dB: |sum h[n] e^(-i w n)|.
double LevelDb(const std::vector<float>& h, double hz, double rate) {
    std::complex<double> sum = 0;
    for (size_t n = 0; n < h.size(); ++n)
        sum += double{h[n]} * std::polar(1.0, -2 * std::numbers::pi * hz * n / rate);
    return 20 * std::log10(std::abs(sum));
}

// The features the model stands for, each as the level at one frequency
// against another, at both session rates: the 12 dB-an-octave fall under
// the box resonance, the resonance bump, the low-mid scoop, the break-up
// peaks either side of their dip, and the steep fall above 5 kHz.
TEST(ClosedBackCabinetTest, ResponseHasTheCabinetsShape) {
    struct Row {
        const char* feature;
        double hz, againstHz, lowDb, highDb;
    };
    const Row rows[] = {
        {"12 dB an octave far under the resonance", 20, 40, -13, -11},
        {"an octave under the resonance, against its bump", 47.5, 95, -17, -12},
        {"the resonance bump over 250 Hz", 100, 250, 3, 8},
        {"the low-mid scoop", 450, 1000, -7, -2},
        {"the first break-up peak", 1900, 1000, 5, 10},
        {"the dip between the peaks", 2800, 1900, -14, -8},
        {"the second break-up peak over the dip", 3600, 2800, 8, 14},
        {"the fall from 5 to 10 kHz", 10000, 5000, -40, -24},
    };
    for (int32_t rate : {44100, 48000}) {
        const std::vector<float> h = ClosedBackCabinetImpulse(rate);
        for (const Row& row : rows) {
            const double db = LevelDb(h, row.hz, rate) - LevelDb(h, row.againstHz, rate);
            EXPECT_GT(db, row.lowDb) << row.feature << " at " << rate;
            EXPECT_LT(db, row.highDb) << row.feature << " at " << rate;
        }
    }
}

// 100 ms at unit energy, ending at zero, the same every time.
TEST(ClosedBackCabinetTest, LengthEnergyAndDeterminism) {
    for (int32_t rate : {44100, 48000, 96000}) {
        const std::vector<float> h = ClosedBackCabinetImpulse(rate);
        ASSERT_EQ(h.size(), static_cast<size_t>(rate / 10));
        double energy = 0;
        for (float v : h) energy += double{v} * v;
        EXPECT_NEAR(energy, 1.0, 1e-6);
        EXPECT_LT(std::fabs(h.back()), 1e-7f);
        EXPECT_EQ(h, ClosedBackCabinetImpulse(rate));
    }
}

}  // namespace
}  // namespace ampliro::dsp
