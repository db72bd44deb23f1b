// Overdrive: tone stack, then the drive and the two-stage clipper.
#include <cmath>

#include "reference_pedal.h"

namespace ampliro::reference {
namespace {

class Overdrive final : public Pedal {
  public:
    // Record: level, mix, enabled, bass, middle, treble, saturation, drive.
    Overdrive(int32_t rate, const Record& r) {
        enabled_ = r[2] != 0;
        tone_.Design(880, 5000, rate);
        tone_.lowGain = Knob(r[3], 0, 64);
        tone_.midGain = Knob(r[4], 0, 64);
        tone_.highGain = Knob(r[5], 0, 64);
        SetSaturation(r[6]);
        drive_ = Knob(r[7], 0, 64);
    }

    bool MoveControl(int32_t id, int32_t value) override {
        switch (id) {
            case 1:
                drive_ = Knob(value, 0, 64);
                return true;
            case 2:
                SetSaturation(value);
                return true;
            case 3:
                tone_.lowGain = Knob(value, 0, 64);
                return true;
            case 4:
                tone_.midGain = Knob(value, 0, 64);
                return true;
            case 5:
                tone_.highGain = Knob(value, 0, 64);
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
        for (int32_t i = 0; i < count; ++i) s[i] = Low16(ProcessSample(tone_.Process(s[i])));
    }

  private:
    // 4096 - trunc(-28672 x 2^(-8 (s/64)^2)), at most 32767.
    void SetSaturation(int32_t value) {
        const float v = static_cast<float>(Knob(value, 0, 64)) * (1.0f / 64);
        const float q = v * v;
        const int32_t t = static_cast<int32_t>(std::pow(2.0, -8.0 * q) * -28672.0);
        threshold_ = 4096 - t > 32767 ? 32767 : 4096 - t;
    }

    int32_t ProcessSample(int64_t x) const {
        const int64_t k = 32768 - threshold_;
        const int64_t a = x + ((drive_ * x) >> 6);
        int64_t b = a + ((k * a) >> 15);
        if (b > threshold_) b = threshold_;
        if (b < -threshold_) b = -threshold_;
        int64_t c = b + ((k * b) >> 15);
        if (c > 32767) c = 32767;
        if (c < -32768) c = -32768;
        return static_cast<int32_t>(c);
    }

    bool enabled_;
    ToneStack tone_;
    int64_t drive_;
    int64_t threshold_;
};

}  // namespace

std::unique_ptr<Pedal> MakeOverdrive(int32_t rate, const Record& record) {
    return std::make_unique<Overdrive>(rate, record);
}

}  // namespace ampliro::reference
