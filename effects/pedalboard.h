// Pedalboard: the nine pedals of the program, one object each, found by
// effect key for the chain, the preset files and the renderer.
#pragma once

#include "effects/chorus_line.h"
#include "effects/delay_line.h"
#include "effects/distortion_line.h"
#include "effects/equalizer.h"
#include "effects/filter_line.h"
#include "effects/phaser_line.h"
#include "effects/pitch_shifter_line.h"
#include "effects/reverb_line.h"
#include "effects/tremolo.h"

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

    // The pedal with that key, or null outside 0..8.
    Effect* ByKey(int32_t key) const;
    // All nine indexed by key, as the chain takes them.
    Effect* const* AllByKey() const { return byKey_; }

    DistortionLine overdrive;
    ReverbLine reverb;
    ChorusLine chorus;
    PitchShifterLine pitchShifter;
    DelayLine delay;
    PhaserLine phaser;
    FilterLine parametricEq;
    Equalizer graphicEq;
    Tremolo tremolo;

  private:
    Effect* byKey_[kEffectCount];
};

}  // namespace ampliro
