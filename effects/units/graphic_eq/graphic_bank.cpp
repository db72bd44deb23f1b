#include "effects/units/graphic_eq/graphic_bank.h"

#include <cmath>
#include <new>

namespace ampliro::dsp {

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
        bands[i].state.reset(new (std::nothrow) int32_t[5]{});
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
// bits the result is the same. The bands run one after another: at the
// chain's defaults the bank is flat and the whole pedal is 0.4% of the
// chain's time (effects_bench), so a wavefront across the bands cannot earn
// the 10% its code would have to.
//
// The shift drops the sum's low 15 bits, and those bits are added to the
// next sample's sum (first-order error feedback). Without that, a band near
// DC stalls on a constant after a note: with no input, a constant y
// satisfies y = floor((c3 + c4) y / 2^15) whenever |y| < 2^15 / (2^15 -
// c3 - c4). At +1 dB the 100 Hz band's feedback sums to 7 short of 2^15 at
// 44.1 kHz: after one plucked note it held -2349 (-23 dBFS) for good, and
// low bands at 96 kHz held over half of full scale; switching the pedal or
// a preset then clicked. With the dropped bits carried, a constant output
// needs (2^15 - c3 - c4) y = 0: the band decays to silence. The carried
// error is shaped by (1 - z^-1), so it lies away from the low bands too.
void GraphicBank::ProcessBlock(int32_t* x, int32_t count) {
    if (!bands_) return;
    for (int i = 0; i < kGraphicBands; ++i) {
        if (gains_[i] == 0) continue;
        Band& b = bands_[i];
        const int64_t c0 = b.c[0], c1 = b.c[1], c2 = b.c[2], c3 = b.c[3], c4 = b.c[4];
        int32_t* s = b.state.get();
        int32_t x1 = s[0], x2 = s[1], y1 = s[2], y2 = s[3], dropped = s[4];
        for (int32_t n = 0; n < count; ++n) {
            const int32_t in = x[n];
            const int32_t y = static_cast<int32_t>(
                ShiftCarrying<15>(c0 * in + c1 * x1 + c2 * x2 + c3 * y1 + c4 * y2, dropped));
            x2 = x1;
            x1 = in;
            y2 = y1;
            y1 = y;
            x[n] = y;
        }
        s[0] = x1, s[1] = x2, s[2] = y1, s[3] = y2, s[4] = dropped;
    }
}

}  // namespace ampliro::dsp
