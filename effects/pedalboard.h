// Pedalboard: the twelve pedals of the program, one object each, found by
// effect key for the chain, the preset files and the renderer.
#pragma once

#include <span>

#include "effects/pedals/amp_pedal.h"
#include "effects/pedals/cabinet_pedal.h"
#include "effects/pedals/chorus_pedal.h"
#include "effects/pedals/delay_pedal.h"
#include "effects/pedals/graphic_eq_pedal.h"
#include "effects/pedals/noise_gate_pedal.h"
#include "effects/pedals/overdrive_pedal.h"
#include "effects/pedals/parametric_eq_pedal.h"
#include "effects/pedals/phaser_pedal.h"
#include "effects/pedals/pitch_shifter_pedal.h"
#include "effects/pedals/reverb_pedal.h"
#include "effects/pedals/tremolo_pedal.h"

namespace ampliro {

class Pedalboard {
  public:
    // The order in which a preset file holds the pedals' records, as keys:
    // Overdrive, Parametric EQ, Pitch Shifter, Phaser, Chorus, Delay,
    // Reverb, Graphic EQ, Tremolo.
    static constexpr int32_t kRecordOrder[kEffectCount] = {0, 6, 3, 5, 2, 4, 1, 7, 8};

    Pedalboard();
    Pedalboard(const Pedalboard&) = delete;
    Pedalboard& operator=(const Pedalboard&) = delete;

    // The pedal with that key, or null outside 0..11.
    Effect* ByKey(int32_t key) const;
    // All twelve indexed by key, as the chain takes them.
    std::span<Effect* const, kChainLength> AllByKey() const { return byKey_; }

    OverdrivePedal overdrive;
    ReverbPedal reverb;
    ChorusPedal chorus;
    PitchShifterPedal pitchShifter;
    DelayPedal delay;
    PhaserPedal phaser;
    ParametricEqPedal parametricEq;
    GraphicEqPedal graphicEq;
    TremoloPedal tremolo;
    NoiseGatePedal noiseGate;
    AmpPedal amp;
    CabinetPedal cabinet;

  private:
    Effect* byKey_[kChainLength];
};

}  // namespace ampliro
