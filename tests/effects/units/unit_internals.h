// The units' private state, for the tests of their worked numbers: line
// lengths, coefficients, LFO steps and filter states, and the one-sample
// step each block runs through. Every unit names UnitInternals its friend;
// only the tests define it.
#pragma once

#include <cstdint>
#include <utility>

#include "effects/units/chorus/chorus.h"
#include "effects/units/delay/delay.h"
#include "effects/units/overdrive/overdrive.h"
#include "effects/units/parametric_eq/parametric_eq.h"
#include "effects/units/phaser/phaser.h"
#include "effects/units/reverb/reverb.h"
#include "effects/units/tremolo/tremolo.h"

namespace ampliro::dsp {

struct UnitInternals {
    // One sample through the unit's own step: Step(unit, x), or
    // Step(unit, x, report) for the units that count clip steps there.
    template <typename Unit, typename... Args>
    static int32_t Step(Unit& unit, Args&&... args) {
        return unit.Step(std::forward<Args>(args)...);
    }
    static int32_t Clip(const Overdrive& unit, int32_t x) { return unit.Clip(x); }

    template <typename Unit>
    static WavetableLfo& Lfo(Unit& unit) {
        return unit.lfo_;
    }
    template <typename Unit>
    static int32_t* Line(Unit& unit) {
        return unit.line_.get();
    }
    template <typename Unit>
    static int32_t& WritePos(Unit& unit) {
        return unit.writePos_;
    }
    template <typename Unit>
    static ToneStack& Tone(Unit& unit) {
        return unit.tone_;
    }

    static int32_t DelaySamples(const Delay& d) { return d.delaySamples_; }
    static int32_t LineLength(const Delay& d) { return d.lineLength_; }
    static int32_t ToneCoefficient(const Delay& d) { return d.toneCoef_; }

    static int32_t FrequencyCoefficient(const ParametricEq& eq) { return eq.freqCoef_; }
    static int32_t DampingCoefficient(const ParametricEq& eq) { return eq.dampCoef_; }
    // Low-pass, high-pass, band-pass and notch states.
    static int32_t& Low(ParametricEq& eq) { return eq.low_; }
    static int32_t& High(ParametricEq& eq) { return eq.high_; }
    static int32_t& Band(ParametricEq& eq) { return eq.band_; }
    static int32_t& Notch(ParametricEq& eq) { return eq.notch_; }

    static Phaser::Stage& FirstStage(Phaser& p) { return p.stages_[0]; }

    static int32_t Threshold(const Overdrive& od) { return od.threshold_; }

    static int32_t SpanSamples(const Reverb& r) { return r.spanSamples_; }
    static int32_t CombLength(const Reverb& r, int i) { return r.combLength_[i]; }
    static Shared<int32_t>& CombGain(Reverb& r, int i) { return r.combGain_[i]; }
    static int32_t* CombLine(Reverb& r, int i) { return r.combBuffer_[i].get(); }
    static int32_t CombPosition(const Reverb& r, int i) { return r.combPos_[i]; }
};

}  // namespace ampliro::dsp
