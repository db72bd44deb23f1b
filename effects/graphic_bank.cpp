#include "effects/graphic_bank.h"

#include <cmath>
#include <new>

namespace ampliro {

BiquadCoefficients DesignPeakingBiquad(double fs, double f0, double bw, double dB) {
    const double a = std::pow(10.0, dB * 0.025);
    const double w0 = (f0 / fs) * 6.2831854820251465;
    const double sn = std::sin(w0);
    // bw / (f0 - bw/2) is the bandwidth in octaves' worth of the sinh form;
    // with bw = f0 each band spans two octaves.
    const double alpha = sn * std::sinh((bw / (f0 - bw * 0.5)) / sn * std::log(2.0) * w0 * 0.5);
    const double ia = 1.0 / (alpha / a + 1.0);
    BiquadCoefficients k;
    k.c[0] = TruncToInt32((alpha * a + 1.0) * ia * 32768.0);
    k.c[1] = TruncToInt32(ia * std::cos(w0) * -2.0 * 32768.0);
    k.c[2] = TruncToInt32((1.0 - alpha * a) * ia * 32768.0);
    k.c[3] = -k.c[1];
    k.c[4] = TruncToInt32(-((1.0 - alpha / a) * ia) * 32768.0);
    return k;
}

bool GraphicBank::Setup(int32_t rate) {
    gains_.reset();
    bands_.reset();
    bankRate = rate;
    std::unique_ptr<Band[]> bands(new (std::nothrow) Band[kGraphicBands]);
    std::unique_ptr<Shared<int32_t>[]> gains(new (std::nothrow) Shared<int32_t>[kGraphicBands]);
    if (!bands || !gains) return false;
    for (int i = 0; i < kGraphicBands; ++i) {
        bands[i].state.reset(new (std::nothrow) int32_t[4]{});
        if (!bands[i].state) return false;
        const BiquadCoefficients k =
            DesignPeakingBiquad(rate, kBandCentreHz[i], kBandWidthHz[i], 0);
        for (int j = 0; j < 5; ++j) bands[i].c[j] = k.c[j];
        gains[i] = 0;
    }
    bands_ = std::move(bands);
    gains_ = std::move(gains);
    return true;
}

void GraphicBank::SetBand(int band, int32_t dB) {
    if (!bands_ || band < 0 || band >= kGraphicBands) return;
    gains_[band] = dB;
    const BiquadCoefficients k =
        DesignPeakingBiquad(bankRate, kBandCentreHz[band], kBandWidthHz[band], dB);
    for (int j = 0; j < 5; ++j) bands_[band].c[j] = k.c[j];
}

// Five products of Q15 coefficients (up to about 2^16) with 16..18-bit
// signals can pass 2^31 together, so the sum is 64-bit; where it fits in 32
// bits the result is the same.
int32_t GraphicBank::Process(int32_t x) {
    if (!bands_) return x;
    for (int i = 0; i < kGraphicBands; ++i) {
        if (gains_[i] == 0) continue;
        Band& b = bands_[i];
        int32_t* s = b.state.get();
        const int64_t acc = int64_t(b.c[0]) * x + int64_t(b.c[1]) * s[0] + int64_t(b.c[2]) * s[1] +
                            int64_t(b.c[3]) * s[2] + int64_t(b.c[4]) * s[3];
        const int32_t y = static_cast<int32_t>(acc >> 15);
        s[1] = s[0];
        s[0] = x;
        s[3] = s[2];
        s[2] = y;
        x = y;
    }
    return x;
}

}  // namespace ampliro
