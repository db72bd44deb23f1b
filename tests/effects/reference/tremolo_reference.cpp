// Tremolo: the levelled signal times a unipolar sine, mixed by the depth.
#include "reference_pedal.h"

namespace ampliro::reference {
namespace {

class TremoloPedal final : public Pedal {
  public:
    // Record: level, enabled, depth (the mix), rate knob.
    TremoloPedal(int32_t rate, const Record& r) {
        peak_.rate = rate;
        level_ = Knob(r[0], 0, 64);
        enabled_ = r[1] != 0;
        mix_ = Knob(r[2], 0, 64);
        const int32_t rateKnob = Knob(r[3], 1, 64);
        lfo_.Create(rate, 256, true);
        lfo_.SetFrequency(static_cast<float>(rateKnob) * 0.25f);
    }

    bool MoveControl(int32_t id, int32_t value) override {
        switch (id) {
            case 1:
                level_ = Knob(64 - value, 0, 64);
                return true;
            case 2:
                lfo_.SetFrequency(static_cast<float>(Knob(value, 1, 64)) * 0.25f);
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
        for (int32_t i = 0; i < count; ++i) {
            const int32_t dry = Levelled(s[i], level_);
            const int64_t wet = (static_cast<int64_t>(lfo_.Next()) * dry) >> 15;
            s[i] = Low16(peak_.Clip(Mixed(wet, dry, mix_)));
        }
    }

  private:
    WavetableLfo lfo_;
    int32_t level_, mix_;
    bool enabled_;
};

}  // namespace

std::unique_ptr<Pedal> MakeTremolo(int32_t rate, const Record& record) {
    return std::make_unique<TremoloPedal>(rate, record);
}

}  // namespace ampliro::reference
