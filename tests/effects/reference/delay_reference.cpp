// Delay: one tap up to three seconds back with feedback, a one-pole low-pass
// on the echo, level and mix.
#include <vector>

#include "reference_pedal.h"

namespace ampliro::reference {
namespace {

class Delay final : public Pedal {
  public:
    // Record: level, mix, enabled, delay in ms, decay, cutoff.
    Delay(int32_t rate, const Record& r) : buffer_(static_cast<size_t>(rate) * 3, 0) {
        peak_.rate = rate;
        level_ = Knob(r[0], 0, 64);
        mix_ = Knob(r[1], 0, 64);
        enabled_ = r[2] != 0;
        const int32_t delayMs = Knob(r[3], 1, 3000);
        decay_ = Knob(r[4], 0, 64);
        toneCoef_ = Knob(r[5], 0, 64) * 256;
        length_ = static_cast<int32_t>(static_cast<int64_t>(rate) * delayMs / 1000);
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
    int32_t ProcessSample(int64_t x) {
        const int32_t w = writePos_;
        const int32_t r = w + 1 >= length_ ? w + 1 - length_ : w + 1;
        const int64_t out = buffer_[r];
        if (decay_ != 0) x = peak_.Clip(x + ((buffer_[w] * decay_) >> 6));
        buffer_[w] = Wrap32(x);
        writePos_ = w + 1 == length_ ? 0 : w + 1;
        return peak_.Clip(out);
    }

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
