// Film strips of rotary knobs: 63 square frames stacked vertically, frame 0
// at the lowest setting, and the matching opacity masks.
#pragma once

#include "resources/generator/canvas.h"

namespace ampliro::art {

inline constexpr int kKnobFrames = 63;
inline constexpr int kKnobSize = 39;
inline constexpr int kLargeKnobSize = 49;

enum class KnobStyle {
    BlackSilverCap,  // 125: knurled black skirt, brushed silver cap, white line
    Aluminium,       // 127: machined aluminium with a black engraved line
    CreamDome,       // 129: ivory dome on a black skirt, red line
    GoldCap,         // 131: black skirt, brushed gold cap, black line
    LargeSilver,     // 122: the big tempo dial with a finger dimple
};

// The face strip of one style; the large style is 49 pixels wide and turns a
// full circle over its frames (it turns endlessly), the others sweep 270
// degrees from seven-thirty to four-thirty.
Canvas KnobStrip(KnobStyle style);
// The opacity mask of a knob of this size: the knob's outline plus its soft
// drop shadow, as grey levels (the blue channel is the weight).
Canvas KnobMask(int size);

}  // namespace ampliro::art
