// The nine pedal pictures (resources 140 + imageIndex) and the control
// layout that the panels place over them.
#pragma once

#include <string>
#include <vector>

#include "resources/generator/canvas.h"
#include "resources/generator/text.h"

namespace ampliro::art {

struct KnobPlace {
    float cx, cy;
    std::string label;
    int strip;  // knob strip resource drawn there
};

struct PedalLayout {
    int imageIndex;
    std::vector<KnobPlace> knobs;
    bool levelSlider;  // at (28, 50, 15, 90), or (23, 30, 15, 100) on the Graphic EQ
    bool peakLamp;
    bool graphicEq;
};

inline constexpr int kPedalCount = 9;
// The noise gate, the amp and the cabinet: imageIndex 30, 31, 32 (resources
// 170..172), with each knob's value shown under it by the program.
inline constexpr int kFirstNewPedal = 30;
inline constexpr int kNewPedalCount = 3;

// For imageIndex 0..8 and 30..32.
const PedalLayout& PedalLayoutFor(int imageIndex);
Canvas DrawPedal(const FontLibrary& fonts, int imageIndex);

}  // namespace ampliro::art
