// Graphic EQ: seven Q15 peaking biquads in series after the level; a band at
// 0 dB is skipped; the result saturates with the peak lamp.
#include <cmath>

#include "reference_pedal.h"

namespace ampliro::reference {
namespace {

struct Biquad {
    int64_t c[5] = {};
    int32_t x1 = 0, x2 = 0, y1 = 0, y2 = 0;
};

// The cookbook peaking EQ in Q15: c0..c2 the normalised b0..b2, c3 and c4
// the negated a1 and a2.
Biquad DesignPeaking(double fs, double f0, double bw, double dB) {
    const double A = std::pow(10.0, dB * 0.025);
    const double w0 = (f0 / fs) * 6.2831854820251465;
    const double sn = std::sin(w0);
    const double alpha = sn * std::sinh((bw / (f0 - bw * 0.5)) / sn * std::log(2.0) * w0 * 0.5);
    const double ia = 1.0 / (alpha / A + 1.0);
    Biquad b;
    b.c[0] = static_cast<int32_t>((alpha * A + 1.0) * ia * 32768.0);
    b.c[1] = static_cast<int32_t>(ia * std::cos(w0) * -2.0 * 32768.0);
    b.c[2] = static_cast<int32_t>((1.0 - alpha * A) * ia * 32768.0);
    b.c[3] = -b.c[1];
    b.c[4] = static_cast<int32_t>(-((1.0 - alpha / A) * ia) * 32768.0);
    return b;
}

class GraphicEq final : public Pedal {
  public:
    // Record: level, enabled, the seven band gains in dB.
    GraphicEq(int32_t rate, const Record& r) : rate_(rate) {
        peak_.rate = rate;
        level_ = Knob(r[0], 0, 64);
        enabled_ = r[1] != 0;
        for (int i = 0; i < 7; ++i) SetBand(i, r[2 + i]);
    }

    // Slider positions: 0 is the top, +10 dB.
    bool MoveControl(int32_t id, int32_t value) override {
        if (id == 1) {
            level_ = Knob(64 - value, 0, 64);
            return true;
        }
        if (id == 12) {  // the footswitch
            enabled_ = !enabled_;
            return true;
        }
        if (id < 2 || id > 8) return false;
        SetBand(id - 2, 10 - value);
        return true;
    }

    void ProcessBlock(int16_t* s, int32_t count) override {
        if (!enabled_ || count < 1) return;
        for (int32_t i = 0; i < count; ++i) {
            s[i] = Low16(peak_.Clip(ProcessSample(Levelled(s[i], level_))));
        }
    }

  private:
    // A redesign keeps the band's state; a band at 0 dB keeps it frozen.
    void SetBand(int i, int32_t dB) {
        static constexpr int32_t kCentre[7] = {100, 200, 400, 800, 1600, 3200, 6400};
        gain_[i] = Knob(dB, -10, 10);
        const Biquad designed = DesignPeaking(rate_, kCentre[i], kCentre[i], gain_[i]);
        for (int k = 0; k < 5; ++k) band_[i].c[k] = designed.c[k];
    }

    int32_t ProcessSample(int32_t x) {
        for (int i = 0; i < 7; ++i) {
            if (gain_[i] == 0) continue;
            Biquad& b = band_[i];
            const int64_t sum =
                b.c[0] * x + b.c[1] * b.x1 + b.c[2] * b.x2 + b.c[3] * b.y1 + b.c[4] * b.y2;
            const int32_t y = Wrap32(sum >> 15);
            b.x2 = b.x1;
            b.x1 = x;
            b.y2 = b.y1;
            b.y1 = y;
            x = y;
        }
        return x;
    }

    int32_t rate_;
    int32_t level_;
    bool enabled_;
    int32_t gain_[7];
    Biquad band_[7];
};

}  // namespace

std::unique_ptr<Pedal> MakeGraphicEq(int32_t rate, const Record& record) {
    return std::make_unique<GraphicEq>(rate, record);
}

}  // namespace ampliro::reference
