// The parts that every pedal picture is built from: the painted enclosure,
// screws, the dark control plate behind the lamps and the Level slider,
// knob scales and labels, the printed title and the footswitch treadle.
#pragma once

#include <string>

#include "resources/generator/canvas.h"
#include "resources/generator/text.h"

namespace ampliro::art {

enum class Finish { Powder, Metallic, Hammertone, Brushed };

struct PedalTheme {
    Rgb body;    // enclosure paint
    Rgb ink;     // printed lettering and scales
    Rgb accent;  // title details and the treadle's brand plate
    Finish finish;
    uint32_t seed;
};

// Screen geometry shared by the panels.
inline constexpr int kScreenW = 240;
inline constexpr int kScreenH = 320;
inline constexpr Box kFootswitchArea{8, 220, 8 + 222, 220 + 85};

// How much the edge of a rounded rectangle nearest (x, y) faces the light
// from the upper left, -1..1: the SDF gradient is that edge's outward normal.
float BevelFacing(float x, float y, float x0, float y0, float x1, float y1, float r);

void DrawEnclosure(Canvas& c, const PedalTheme& theme);
void DrawScrew(Canvas& c, float cx, float cy, float radius, float slotAngle);
// A recessed black anodised plate with rounded corners.
void DrawPlate(Canvas& c, float x0, float y0, float x1, float y1, uint32_t seed);
// A chrome bezel around a 15 x 15 lamp cell at (x, y).
void DrawLampBezel(Canvas& c, int x, int y);
// The recessed slot behind a vertical slider and its printed scale: labels
// at the top, middle and bottom tick of a slider whose thumb is thumbLength
// long; ticks are drawn by the slider itself.
void DrawSliderSlot(Canvas& c, int x, int y, int w, int h);
void DrawSliderScale(Canvas& c, const FontLibrary& fonts, int x, int y, int h, int thumbLength,
                     float labelX, Align align, const std::string& top, const std::string& middle,
                     const std::string& bottom, Rgb ink);
// Dots around a knob's 270-degree sweep and its label below.
void DrawKnobScale(Canvas& c, float cx, float cy, float radius, int dots, Rgb ink);
// drop is the label's baseline below the knob centre.
void DrawKnobLabel(Canvas& c, const FontLibrary& fonts, float cx, float cy,
                   const std::string& label, Rgb ink, Rgb shadow, float drop = 31);
// Text set on the knob's sweep at the angle of a given fraction (0 lowest).
void DrawSweepText(Canvas& c, const FontLibrary& fonts, float cx, float cy, float radius,
                   float fraction, const std::string& text, Rgb ink, float size = 7.5f);
// A title centred at x on baseline y, shrunk to fit maxWidth.
void DrawTitle(Canvas& c, const FontLibrary& fonts, float x, float y, float maxWidth,
               const std::string& text, Typeface face, float size, Rgb ink, Rgb shadow,
               float tracking);
// The hinged footswitch plate with its rubber pad.
void DrawTreadle(Canvas& c, const FontLibrary& fonts, const PedalTheme& theme);

}  // namespace ampliro::art
