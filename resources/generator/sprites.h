// Small pictures: lamps, scroll arrows, slider thumbs, file-list icons,
// the recorder's button pictures, the power switch and the program icon.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "resources/generator/canvas.h"

namespace ampliro::art {

// Pixels in sprite sheets that show the background: 0xF81F once the picture
// is reduced to RGB565.
inline constexpr Rgb kKeyMagenta{1, 0, 1};

Canvas LampSheet();         // 121: 2 x 2 cells of 15 x 15
Canvas ScrollArrowSheet();  // 103: 2 x 2 cells of 15 x 15 (up, down)
Canvas WideArrowSheet();    // 102: 3 x 2 cells of 15 x 15 (left, right, drop-down)
Canvas LevelThumb();        // 104: 25 x 9
Canvas BandThumb();         // 106: 20 x 9
Canvas PositionThumb();     // 105: 9 x 17, stored with a grey palette
Canvas FileIcons();         // 110: folder and file, 16 x 16 each
Canvas PresetIcon();        // 109: 30 x 30
Canvas RecorderButtons();   // 124: 7 x 2 cells of 16 x 16
Canvas PowerSwitch();       // 156: 1 x 2 cells of 30 x 50
Canvas ProgramIcon();       // 120: 32 x 32

// The grey palette used by the 8-bit thumb: index 0 is the magenta key,
// 1..255 an even grey ramp; returns one index per pixel.
std::vector<std::array<uint8_t, 3>> ThumbPalette();
std::vector<uint8_t> PaletteIndices(const Canvas& canvas);

}  // namespace ampliro::art
