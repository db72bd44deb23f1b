// Chorus: a 1024-sample line read at a sine-swept position with linear
// interpolation, averaged with the input and fed back.
#include <algorithm>
#include <vector>

#include "reference_pedal.h"

namespace ampliro::reference {
namespace {

class Chorus final : public Pedal {
  public:
    // Record: level, mix, enabled, depth, speed (float), feedback.
    Chorus(int32_t rate, const Record& r) : buffer_(1024, 0) {
        peak_.rate = rate;
        level_ = Knob(r[0], 0, 64);
        mix_ = Knob(r[1], 0, 64);
        enabled_ = r[2] != 0;
        depth_ = Knob(r[3], 0, 64);
        const float speed = Knob(FloatWord(r[4]), 1.0f, 64.0f);
        feedback_ = Knob(r[5], 0, 64);
        lfo_.Create(rate, 256, false);
        lfo_.SetFrequency(speed * 0.03125f);
    }

    bool MoveControl(int32_t id, int32_t value) override {
        switch (id) {
            case 1:
                level_ = Knob(64 - value, 0, 64);
                return true;
            case 2:
                lfo_.SetFrequency(static_cast<float>(Knob(value, 1, 64)) * 0.03125f);
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
            case 12:  // the footswitch clears the whole line either way
                std::fill(buffer_.begin(), buffer_.end(), 0);
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
        const int32_t n = static_cast<int32_t>(buffer_.size());
        const int64_t m = static_cast<int64_t>(lfo_.Next()) * depth_;
        const int64_t mi = m >> 15;
        const int64_t frac = m - (mi << 15);
        int64_t p = writePos_ - depth_ + mi - 6;
        if (p < 0) p += n;
        int64_t q = p + 1;
        if (q == n) q = 0;
        const int64_t d = (buffer_[p] * (32768 - frac) + buffer_[q] * frac) >> 15;
        const int64_t y = (x + d) >> 1;
        if (feedback_ != 0) x = x + ((feedback_ * y) >> 6);
        buffer_[writePos_] = Wrap32(x);
        writePos_ = writePos_ + 1 == n ? 0 : writePos_ + 1;
        return peak_.Clip(y);
    }

    std::vector<int64_t> buffer_;
    WavetableLfo lfo_;
    int32_t level_, mix_, depth_, feedback_;
    bool enabled_;
    int32_t writePos_ = 0;
};

}  // namespace

std::unique_ptr<Pedal> MakeChorus(int32_t rate, const Record& record) {
    return std::make_unique<Chorus>(rate, record);
}

}  // namespace ampliro::reference
