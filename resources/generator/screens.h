// The backgrounds of the Configuration, Presets, Metronome and Loop
// Recorder areas, for the tall 240 x 320 screen and the square 240 x 240 one.
#pragma once

#include "resources/generator/canvas.h"
#include "resources/generator/text.h"

namespace ampliro::art {

enum class Area { Configuration, Presets, Metronome, Recorder };

Canvas DrawAreaBackground(const FontLibrary& fonts, Area area, int height);

}  // namespace ampliro::art
