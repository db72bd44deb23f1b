// Phaser: four Q14 all-pass stages retuned every sample from a unipolar sine,
// added to the input and fed back.
#include "reference_pedal.h"

namespace ampliro::reference {
namespace {

class Phaser final : public Pedal {
  public:
    // Record: level, mix, enabled, rate knob, feedback, depth.
    Phaser(int32_t rate, const Record& r) : rate_(rate) {
        peak_.rate = rate;
        level_ = Knob(r[0], 0, 64);
        mix_ = Knob(r[1], 0, 64);
        enabled_ = r[2] != 0;
        const int32_t rateKnob = Knob(r[3], 1, 64);
        feedback_ = Knob(r[4], 0, 64);
        depth_ = Knob(r[5], 0, 64);
        lfo_.Create(rate, 1024, true);
        lfo_.SetFrequency(static_cast<float>(rateKnob) * 0.015625f);
    }

    bool MoveControl(int32_t id, int32_t value) override {
        switch (id) {
            case 1:
                level_ = Knob(64 - value, 0, 64);
                return true;
            case 2:
                lfo_.SetFrequency(static_cast<float>(Knob(value, 1, 64)) * 0.015625f);
                return true;
            case 3:
                depth_ = Knob(value, 0, 64);
                return true;
            case 4:
                feedback_ = Knob(value, 0, 64);
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
    int32_t ProcessSample(int64_t x) {
        x = peak_.Clip(x);
        const int64_t v = lfo_.Next();
        const int64_t sweepLow = 440, sweepHigh = 1600;
        const int64_t f = sweepLow + (((sweepHigh - sweepLow) * v) >> 15);
        int64_t w;
        if (rate_ == 44100) {
            w = f;
        } else if (rate_ == 22050) {
            w = 2 * f;
        } else {
            w = (f * 32768) / (rate_ >> 1);
        }
        const int64_t a = ((16384 - w) * 16384) / (w + 16384);
        int64_t u = x + ((lastAllpass_ * feedback_) >> 6);
        if (u > 32767) u = 32767;
        if (u < -32768) u = -32768;
        for (int64_t& state : stages_) {
            const int64_t y = state + ((-a * u) >> 14);
            state = Wrap32(u + ((a * y) >> 14));
            u = y;
        }
        lastAllpass_ = Wrap32(u);
        return peak_.Clip(x + ((depth_ * lastAllpass_) >> 6));
    }

    int32_t rate_;
    WavetableLfo lfo_;
    int32_t level_, mix_;
    bool enabled_;
    int64_t feedback_, depth_;
    int64_t stages_[4] = {};
    int64_t lastAllpass_ = 0;
};

}  // namespace

std::unique_ptr<Pedal> MakePhaser(int32_t rate, const Record& record) {
    return std::make_unique<Phaser>(rate, record);
}

}  // namespace ampliro::reference
