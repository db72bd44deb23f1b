#include "effects/units/cabinet_model/closed_back_cabinet.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ampliro::dsp {
namespace {

// The model: an impulse through a cascade of second-order sections (RBJ
// cookbook biquads), each standing for one feature of the cabinet's
// measured magnitude response.
//
//  1. High-pass, 95 Hz, Q 1.7. A sealed box: the cone's suspension and the
//     air trapped behind it make a spring, so below the system resonance
//     the output falls at 12 dB an octave. Guitar cabinets are stiff,
//     underdamped boxes (Qtc well over 1): the resonance stands out as a
//     bump of about +5 dB near 100 Hz, the "thump" of a closed 4x12.
//  2. Peak, 450 Hz, -4 dB, Q 0.8: the broad low-mid scoop between the box
//     resonance and the cone's upper midrange.
//  3. Peak, 1.9 kHz, +6 dB, Q 2.5;
//  4. Peak, 2.8 kHz, -7 dB, Q 4;
//  5. Peak, 3.6 kHz, +5 dB, Q 3. Cone break-up: above about 1.5 kHz the
//     paper cone stops moving as one piston and rings in modes, peaks
//     with a deep dip between them, the bite of a guitar speaker.
//  6. Low-pass, 5 kHz, Q 0.54, and
//  7. low-pass, 5 kHz, Q 1.31: a fourth-order Butterworth pair. The cone's
//     mass and break-up losses end its output: 24 dB an octave above 5 kHz.
//  8. Low-pass, 7 kHz, Q 0.71: with it, 36 dB an octave above 7 kHz,
//     which removes the fizz a distorted amp sends into it.
//
// The cascade is run in double on a unit impulse for 100 ms (the box
// resonance, the longest ringing, has decayed by 17 time constants, 2Q /
// (2 pi 95 Hz) = 5.7 ms each, by then), the last 20 ms get a half-cosine
// fade so the end has no step, and the whole is scaled to unit energy.
// Frequencies above 0.45 x the rate move down to it, so a low rate still
// gives a stable filter.
enum class Kind { HighPass, LowPass, Peak };

struct Section {
    Kind kind;
    double hz, q, db;
};

constexpr Section kModel[] = {
    {Kind::HighPass, 95, 1.7, 0},     {Kind::Peak, 450, 0.8, -4},
    {Kind::Peak, 1900, 2.5, 6},       {Kind::Peak, 2800, 4, -7},
    {Kind::Peak, 3600, 3, 5},         {Kind::LowPass, 5000, 0.5412, 0},
    {Kind::LowPass, 5000, 1.3066, 0}, {Kind::LowPass, 7000, 0.7071, 0},
};

constexpr double kSeconds = 0.1;
constexpr double kFadeSeconds = 0.02;

struct Biquad {
    double b0, b1, b2, a1, a2;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;

    double Step(double x) {
        const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }
};

Biquad Design(const Section& s, double rate) {
    const double w = 2 * std::numbers::pi * std::min(s.hz, 0.45 * rate) / rate;
    const double alpha = std::sin(w) / (2 * s.q);
    const double c = std::cos(w);
    double b0, b1, b2, a0, a1, a2;
    if (s.kind == Kind::Peak) {
        const double a = std::pow(10.0, s.db / 40);
        b0 = 1 + alpha * a;
        b1 = -2 * c;
        b2 = 1 - alpha * a;
        a0 = 1 + alpha / a;
        a1 = -2 * c;
        a2 = 1 - alpha / a;
    } else {
        const bool high = s.kind == Kind::HighPass;
        b0 = b2 = high ? (1 + c) / 2 : (1 - c) / 2;
        b1 = high ? -(1 + c) : 1 - c;
        a0 = 1 + alpha;
        a1 = -2 * c;
        a2 = 1 - alpha;
    }
    return {b0 / a0, b1 / a0, b2 / a0, a1 / a0, a2 / a0};
}

}  // namespace

std::vector<float> ClosedBackCabinetImpulse(int32_t sampleRate) {
    const double rate = std::clamp(sampleRate, 8000, 192000);
    std::vector<Biquad> cascade;
    for (const Section& s : kModel) cascade.push_back(Design(s, rate));
    const auto length = static_cast<size_t>(std::lround(kSeconds * rate));
    const auto fade = static_cast<size_t>(std::lround(kFadeSeconds * rate));
    std::vector<double> h(length);
    for (size_t n = 0; n < length; ++n) {
        double v = n == 0 ? 1.0 : 0.0;
        for (Biquad& b : cascade) v = b.Step(v);
        h[n] = v;
    }
    for (size_t i = 0; i < fade; ++i) {
        const double x = static_cast<double>(i + 1) / static_cast<double>(fade + 1);
        h[length - 1 - i] *= 0.5 - 0.5 * std::cos(std::numbers::pi * x);
    }
    double energy = 0;
    for (double v : h) energy += v * v;
    std::vector<float> out(length);
    for (size_t n = 0; n < length; ++n) out[n] = static_cast<float>(h[n] / std::sqrt(energy));
    return out;
}

}  // namespace ampliro::dsp
