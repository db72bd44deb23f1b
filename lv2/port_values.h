// Conversions at the plugin's ports. Audio crosses the boundary exactly as
// the Pitch Shifter hands its samples to SoundTouch and back: a 16-bit
// sample s is the float s / 32768, and a float x becomes the sample
// round(x x 32768) (to nearest, ties to even), saturated to 16 bits, with a
// NaN taken as silence. Every 16-bit value thus survives the round trip
// exactly, and a 32-bit float file holds the pedal's samples without loss.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "lv2/plugin_table.h"

namespace ampliro::lv2 {

inline int16_t ToSample(float x) {
    float y = x * 32768.0f;
    y = y == y ? y : 0.0f;
    // Clamping before rounding gives the same sample as saturating after it
    // and keeps the conversion in range (infinities included).
    y = std::clamp(y, -32768.0f, 32767.0f);
    return static_cast<int16_t>(std::nearbyint(y));
}

inline float ToFloat(int16_t sample) {
    return sample * (1.0f / 32768.0f);
}

// A control port's value as the knob would give it: rounded to the nearest
// step and held to the knob's range. A host that sends NaN, or leaves the
// port unconnected, gets the knob's default.
inline int32_t ToControl(const float* port, const ControlInfo& info) {
    if (port == nullptr || *port != *port) return info.initial;
    const float held =
        std::clamp(*port, static_cast<float>(info.minimum), static_cast<float>(info.maximum));
    return static_cast<int32_t>(std::nearbyint(held));
}

}  // namespace ampliro::lv2
