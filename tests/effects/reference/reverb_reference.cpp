// Reverb: eight feedback combs at lengths 2^(-i/8) of a base delay, gains
// that decay together, averaged, then the reverb's tone stack and the mix.
#include <algorithm>
#include <cmath>
#include <vector>

#include "reference_pedal.h"

namespace ampliro::reference {
namespace {

class Reverb final : public Pedal {
  public:
    // Record: level, mix, enabled, delay in ms, decay, LP gain, HP gain.
    Reverb(int32_t rate, const Record& r) : rate_(rate) {
        peak_.rate = rate;
        level_ = Knob(r[0], 0, 64);
        mix_ = Knob(r[1], 0, 64);
        enabled_ = r[2] != 0;
        tone_.Design(880, 5000, rate);
        tone_.lowGain = Knob(r[5], 0, 64);
        tone_.highGain = Knob(r[6], 0, 64);
        for (std::vector<int64_t>& comb : buffer_) comb.assign(rate * 250 / 1000, 0);
        SetReverb(r[3], r[4]);
    }

    // The Filter knob edits the HP gain: the selector starts at HP.
    bool MoveControl(int32_t id, int32_t value) override {
        switch (id) {
            case 1:
                level_ = Knob(64 - value, 0, 64);
                return true;
            case 2:
                SetReverb(value, decay_);
                return true;
            case 3:
                SetReverb(delayMs_, value);
                return true;
            case 4:
                tone_.highGain = Knob(value, 0, 64);
                return true;
            case 5:
                mix_ = Knob(value, 0, 64);
                return true;
            case 12:  // the footswitch clears the base length of every comb
                for (std::vector<int64_t>& comb : buffer_) {
                    std::fill(comb.begin(), comb.begin() + length_[0], 0);
                }
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
            const int64_t wet = tone_.Process(ProcessSample(dry));
            s[i] = Low16(Mixed(wet, dry, mix_));
        }
    }

  private:
    // Lengths at 2^(-i/8) of the base delay L, gains g^(length / L) in Q12
    // so that every comb loses the same level per second.
    void SetReverb(int32_t ms, int32_t decay) {
        delayMs_ = Knob(ms, 1, 250);
        decay_ = Knob(decay, 0, 64);
        const int32_t base = rate_ * delayMs_ / 1000;
        const float g = 0.68f + static_cast<float>(decay_) * (1.0f / 256);
        const float k =
            1.0f / static_cast<float>((-3.0f * static_cast<float>(base)) / std::log10(double{g}));
        for (int i = 0; i < 8; ++i) {
            length_[i] = static_cast<int32_t>(static_cast<float>(base) / std::pow(2.0, i * 0.125));
            gain_[i] = static_cast<int32_t>(std::pow(10.0, -(3.0 * length_[i]) * k) * 4096.0);
        }
    }

    // A position beyond a shortened comb wraps to 0 on its next step.
    int32_t ProcessSample(int64_t x) {
        int64_t sum = 0;
        for (int i = 0; i < 8; ++i) {
            pos_[i] = pos_[i] + 1 >= length_[i] ? 0 : pos_[i] + 1;
            const int64_t e = buffer_[i][pos_[i]];
            buffer_[i][pos_[i]] = Wrap32(x + ((gain_[i] * e) >> 12));
            sum += e;
        }
        return peak_.Clip(sum >> 3);
    }

    int32_t rate_;
    int32_t level_, mix_, delayMs_, decay_;
    bool enabled_;
    ToneStack tone_;
    int32_t length_[8];
    int64_t gain_[8];
    std::vector<int64_t> buffer_[8];
    int32_t pos_[8] = {};
};

}  // namespace

std::unique_ptr<Pedal> MakeReverb(int32_t rate, const Record& record) {
    return std::make_unique<Reverb>(rate, record);
}

}  // namespace ampliro::reference
