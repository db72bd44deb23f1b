// The new pedals' knobs show their value under them, in the unit they read
// (dB, ms, %), so a player sets a threshold or a gain by number.
#pragma once

#include <cstdio>

#include "ui/knob.h"

namespace ampliro {

inline constexpr int kReadingLength = 24;

// `format` is a printf format for one double, colour code included.
inline void ShowReading(Knob& knob, char (&text)[kReadingLength], const char* format,
                        double value) {
    std::snprintf(text, sizeof text, format, value);
    knob.SetCaption(knob.id, text, kPlaceBelow);
    knob.SetFlags(static_cast<uint16_t>(knob.flags | kShowCaption));
}

}  // namespace ampliro
