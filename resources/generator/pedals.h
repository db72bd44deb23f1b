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

const PedalLayout& PedalLayoutFor(int imageIndex);
Canvas DrawPedal(const FontLibrary& fonts, int imageIndex);

}  // namespace ampliro::art
