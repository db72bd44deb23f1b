// Parametric EQ: a Q10 state-variable filter, its boost, the level and mix.
#include <algorithm>
#include <cmath>

#include "reference_pedal.h"

namespace ampliro::reference {
namespace {

class ParametricEq final : public Pedal {
  public:
    // Record: level, mix, enabled, resonance (float), frequency (float),
    // mode, gain.
    ParametricEq(int32_t rate, const Record& r) {
        peak_.rate = rate;
        level_ = Knob(r[0], 0, 64);
        mix_ = Knob(r[1], 0, 64);
        enabled_ = r[2] != 0;
        mode_ = r[5] >= 1 && r[5] <= 4 ? r[5] : 4;
        gain_ = Knob(r[6], 0, 64);
        omegaScale_ = (1.0f / (static_cast<float>(rate) * 2.0f)) * 3.1415927f;
        UpdateCoefficients(Knob(FloatWord(r[3]), 0.0f, 64.0f),
                           Knob(FloatWord(r[4]), 200.0f, 5000.0f));
    }

    bool MoveControl(int32_t id, int32_t value) override {
        switch (id) {
            case 1:
                level_ = Knob(64 - value, 0, 64);
                return true;
            case 2:
                UpdateCoefficients(resonance_, static_cast<float>(value));
                return true;
            case 3:
                UpdateCoefficients(static_cast<float>(value), frequency_);
                return true;
            case 4:
                gain_ = Knob(value, 0, 64);
                return true;
            case 5:
                mix_ = Knob(value, 0, 64);
                return true;
            case 12:  // the footswitch
                enabled_ = !enabled_;
                return true;
            default:
                return false;
        }
    }

    void ProcessBlock(int16_t* s, int32_t count) override {
        if (!enabled_ || count < 1) return;
        for (int32_t i = 0; i < count; ++i) {
            const int32_t dry = Levelled(s[i], level_);
            s[i] = Low16(Mixed(ProcessSample(dry), dry, mix_));
        }
    }

  private:
    void UpdateCoefficients(float resonance, float frequency) {
        resonance_ = resonance;
        frequency_ = frequency;
        const double s = 2.0 * std::sin(static_cast<double>(omegaScale_ * frequency));
        const float f = static_cast<float>(std::min(0.25, s));
        const double qmax = std::min(2.0, 2.0 / f - f * 0.5);
        const double q = (1.0 - std::pow(static_cast<double>(resonance * (1.0f / 64)), 0.25)) * 2.0;
        dampCoef_ = static_cast<int32_t>(std::min(q, qmax) * 1024.0);
        freqCoef_ = static_cast<int32_t>(f * 1024.0f);
    }

    // The states are 32-bit and wrap, as the undamped filter at resonance 64
    // may grow past that range.
    int32_t ProcessSample(int32_t x) {
        notch_ = Wrap32(x - ((band_ * dampCoef_) >> 10));
        low_ = Wrap32(low_ + ((freqCoef_ * band_) >> 10));
        high_ = Wrap32(static_cast<int64_t>(notch_) - low_);
        band_ = Wrap32(band_ + ((high_ * freqCoef_) >> 10));
        const int64_t sel = mode_ == 1 ? notch_ : mode_ == 2 ? low_ : mode_ == 3 ? high_ : band_;
        return peak_.Clip(((gain_ + 64) * sel) >> 6);
    }

    float omegaScale_, resonance_, frequency_;
    int32_t level_, mix_, mode_;
    bool enabled_;
    int64_t gain_, dampCoef_, freqCoef_;
    int64_t low_ = 0, high_ = 0, band_ = 0, notch_ = 0;
};

}  // namespace

std::unique_ptr<Pedal> MakeParametricEq(int32_t rate, const Record& record) {
    return std::make_unique<ParametricEq>(rate, record);
}

}  // namespace ampliro::reference
