#include "resources/generator/click.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "resources/generator/canvas.h"

namespace ampliro::art {

std::vector<int16_t> SynthesiseClick() {
    // A struck wooden bar: two inharmonic modes (the bar's first two
    // bending modes sit near 1 : 2.76) that die away in a few milliseconds,
    // a faint body resonance underneath, and a burst of filtered noise for
    // the stick's contact. Short decays keep the click precise at full gain;
    // the midrange modes keep it audible at a quarter of that.
    const double rate = kClickRate;
    const double twoPi = 2 * std::numbers::pi;
    std::vector<double> v(kClickSamples);
    double lowpass = 0;
    for (int i = 0; i < kClickSamples; ++i) {
        double t = i / rate;
        double attack = std::min(1.0, t / 0.0004);  // 0.4 ms rise, no step
        double mode1 = std::sin(twoPi * 1320 * t) * std::exp(-t / 0.011);
        double mode2 = 0.45 * std::sin(twoPi * 3640 * t + 0.7) * std::exp(-t / 0.0045);
        double body = 0.3 * std::sin(twoPi * 410 * t) * std::exp(-t / 0.018);
        double noise = Hash(i, 0, 160) * 2 - 1;
        lowpass += 0.35 * (noise - lowpass);
        double contact = 0.5 * lowpass * std::exp(-t / 0.0012);
        v[static_cast<size_t>(i)] = attack * (mode1 + mode2 + body + contact);
    }
    // Fade the last 10 ms so the sample ends on silence.
    const int fade = static_cast<int>(rate * 0.010);
    for (int i = 0; i < fade; ++i) {
        v[static_cast<size_t>(kClickSamples - 1 - i)] *= static_cast<double>(i) / fade;
    }
    double peak = 0;
    for (double s : v) peak = std::max(peak, std::fabs(s));
    // Peak at -1.5 dBFS: headroom for the mix into a busy block.
    const double scale = 0.84 * 32767 / peak;
    std::vector<int16_t> out;
    out.reserve(v.size());
    for (double s : v) out.push_back(static_cast<int16_t>(std::lround(s * scale)));
    return out;
}

}  // namespace ampliro::art
