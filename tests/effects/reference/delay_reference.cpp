// Delay: one tap up to three seconds back with feedback, a one-pole low-pass
// on the echo, level and mix.
#include <algorithm>
#include <vector>

#include "reference_pedal.h"

namespace ampliro::reference {
namespace {

class Delay final : public Pedal {
  public:
    // Record: level, mix, enabled, delay in ms, decay, cutoff.
    Delay(int32_t rate, const Record& r) : rate_(rate), buffer_(static_cast<size_t>(rate) * 3, 0) {
        peak_.rate = rate;
        level_ = Knob(r[0], 0, 64);
        mix_ = Knob(r[1], 0, 64);
        enabled_ = r[2] != 0;
        decay_ = Knob(r[4], 0, 64);
        toneCoef_ = Knob(r[5], 0, 64) * 256;
        SetDelay(r[3]);
    }

    bool MoveControl(int32_t id, int32_t value) override {
        switch (id) {
            case 1:
                level_ = Knob(64 - value, 0, 64);
                return true;
            case 2:
                SetDelay(value);
                return true;
            case 3:
                decay_ = Knob(value, 0, 64);
                return true;
            case 4:
                toneCoef_ = Knob(value, 0, 64) * 256;
                return true;
            case 5:
                mix_ = Knob(value, 0, 64);
                return true;
            case 12:  // the footswitch clears the current delay's span
                std::fill(buffer_.begin(), buffer_.begin() + length_, 0);
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
            int64_t wet = ProcessSample(dry);
            if (toneCoef_ < 16384) {
                toneState_ = Wrap32(toneState_ + (((wet - toneState_) * toneCoef_) >> 15));
                wet = toneState_;
            }
            s[i] = Low16(Mixed(wet, dry, mix_));
        }
    }

  private:
    // The write position is not moved: one beyond a shortened length wraps
    // to 0 after its next sample.
    void SetDelay(int32_t ms) {
        const int32_t delayMs = Knob(ms, 1, 3000);
        length_ = static_cast<int32_t>(static_cast<int64_t>(rate_) * delayMs / 1000);
    }

    int32_t ProcessSample(int64_t x) {
        const int32_t w = writePos_;
        const int32_t r = w + 1 >= length_ ? w + 1 - length_ : w + 1;
        const int64_t out = buffer_[r];
        if (decay_ != 0) x = peak_.Clip(x + ((buffer_[w] * decay_) >> 6));
        buffer_[w] = Wrap32(x);
        writePos_ = w + 1 >= length_ ? 0 : w + 1;
        return peak_.Clip(out);
    }

    int32_t rate_;
    std::vector<int64_t> buffer_;
    int32_t level_, mix_, length_;
    bool enabled_;
    int64_t decay_, toneCoef_;
    int64_t toneState_ = 0;
    int32_t writePos_ = 0;
};

}  // namespace

std::unique_ptr<Pedal> MakeDelay(int32_t rate, const Record& record) {
    return std::make_unique<Delay>(rate, record);
}

}  // namespace ampliro::reference
