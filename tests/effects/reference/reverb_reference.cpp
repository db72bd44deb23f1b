// Reverb: eight feedback combs at lengths 2^(-i/8) of a base delay, gains
// that decay together, averaged, then the reverb's tone stack and the mix.
#include <cmath>
#include <vector>

#include "reference_pedal.h"

namespace ampliro::reference {
namespace {

class Reverb final : public Pedal {
  public:
    // Record: level, mix, enabled, delay in ms, decay, LP gain, HP gain.
    Reverb(int32_t rate, const Record& r) {
        peak_.rate = rate;
        level_ = Knob(r[0], 0, 64);
        mix_ = Knob(r[1], 0, 64);
        enabled_ = r[2] != 0;
        const int32_t delayMs = Knob(r[3], 1, 250);
        const int32_t decay = Knob(r[4], 0, 64);
        tone_.Design(880, 5000, rate);
        tone_.lowGain = Knob(r[5], 0, 64);
        tone_.highGain = Knob(r[6], 0, 64);
        const int32_t span = rate * 250 / 1000;
        const int32_t base = rate * delayMs / 1000;
        const float g = 0.68f + static_cast<float>(decay) * (1.0f / 256);
        const float k =
            1.0f / static_cast<float>((-3.0f * static_cast<float>(base)) / std::log10(double{g}));
        for (int i = 0; i < 8; ++i) {
            length_[i] = static_cast<int32_t>(static_cast<float>(base) / std::pow(2.0, i * 0.125));
            gain_[i] = static_cast<int32_t>(std::pow(10.0, -(3.0 * length_[i]) * k) * 4096.0);
            buffer_[i].assign(span, 0);
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
    int32_t ProcessSample(int64_t x) {
        int64_t sum = 0;
        for (int i = 0; i < 8; ++i) {
            pos_[i] = pos_[i] + 1 == length_[i] ? 0 : pos_[i] + 1;
            const int64_t e = buffer_[i][pos_[i]];
            buffer_[i][pos_[i]] = Wrap32(x + ((gain_[i] * e) >> 12));
            sum += e;
        }
        return peak_.Clip(sum >> 3);
    }

    int32_t level_, mix_;
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
