// Pitch Shifter: SoundTouch fed one whole block at a time, the shifted block
// taken only once SoundTouch holds a whole block of output, mixed with the
// levelled dry signal. Samples cross into SoundTouch as s / 32768 and come
// back times 32768, rounded to the nearest (ties to even) and saturated.
#include <SoundTouch.h>

#include <cmath>
#include <vector>

#include "reference_pedal.h"

namespace ampliro::reference {
namespace {

class PitchShifter final : public Pedal {
  public:
    // Record: level, mix, enabled, level again (the one that counts),
    // semitones.
    PitchShifter(int32_t rate, const Record& r) {
        mix_ = Knob(r[1], 0, 64);
        enabled_ = r[2] != 0;
        level_ = Knob(r[3], 0, 64);
        shifter_.setSampleRate(static_cast<unsigned>(rate));
        shifter_.setChannels(1);
        shifter_.setTempoChange(0);
        shifter_.setPitchSemiTones(Knob(r[4], -12, 12));
        shifter_.setRateChange(0);
        shifter_.setSetting(SETTING_USE_QUICKSEEK, 1);
        shifter_.setSetting(SETTING_USE_AA_FILTER, 0);
        shifter_.clear();
    }

    // The Semitones knob runs 0..24 for -12..+12.
    bool MoveControl(int32_t id, int32_t value) override {
        switch (id) {
            case 1:
                level_ = Knob(64 - value, 0, 64);
                return true;
            case 2:
                shifter_.setPitchSemiTones(Knob(value - 12, -12, 12));
                return true;
            case 3:
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
        std::vector<float> in(count), out(count);
        for (int32_t i = 0; i < count; ++i) {
            if (level_ < 64) s[i] = Low16(Levelled(s[i], level_));
            in[i] = static_cast<float>(s[i]) / 32768.0f;
        }
        shifter_.putSamples(in.data(), static_cast<unsigned>(count));
        if (shifter_.numSamples() < static_cast<unsigned>(count)) return;
        const int32_t n =
            static_cast<int32_t>(shifter_.receiveSamples(out.data(), static_cast<unsigned>(count)));
        for (int32_t i = 0; i < n; ++i) {
            const double y = std::nearbyint(static_cast<double>(out[i]) * 32768.0);
            const int64_t wet = y > 32767 ? 32767 : (y < -32768 ? -32768 : static_cast<int64_t>(y));
            s[i] = Low16(Mixed(wet, s[i], mix_));
        }
    }

  private:
    soundtouch::SoundTouch shifter_;
    int32_t level_, mix_;
    bool enabled_;
};

}  // namespace

std::unique_ptr<Pedal> MakePitchShifter(int32_t rate, const Record& record) {
    return std::make_unique<PitchShifter>(rate, record);
}

}  // namespace ampliro::reference
