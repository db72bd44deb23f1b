#include "effects/pedalboard.h"

namespace ampliro {

Pedalboard::Pedalboard()
    : byKey_{&overdrive,    &reverb,    &chorus,  &pitchShifter, &delay, &phaser,
             &parametricEq, &graphicEq, &tremolo, &noiseGate,    &amp,   &cabinet} {
    // Until the first Init, each pedal already answers to its own key.
    for (int32_t key = 0; key < kChainLength; ++key) byKey_[key]->effectKey = key;
}

Effect* Pedalboard::ByKey(int32_t key) const {
    return key >= 0 && key < kChainLength ? byKey_[key] : nullptr;
}

}  // namespace ampliro
