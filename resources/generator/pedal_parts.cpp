#include "resources/generator/pedal_parts.h"

#include <cmath>
#include <numbers>

namespace ampliro::art {

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
// Light from the upper left: a surface tilted towards (-1, -1) is lit.
constexpr float kLightX = -0.7071f, kLightY = -0.7071f;

Rgb FinishColour(const PedalTheme& t, float x, float y) {
    // Broad light falling from the upper left over the whole face.
    float light = 1.06f - 0.14f * (x / kScreenW * 0.4f + y / kScreenH * 0.6f);
    Rgb c = Scale(t.body, light);
    float fine = Hash(static_cast<int>(x), static_cast<int>(y), t.seed) - 0.5f;
    switch (t.finish) {
        case Finish::Powder:
            c = Scale(c, 1 + 0.035f * fine);
            break;
        case Finish::Metallic: {
            c = Scale(c, 1 + 0.05f * fine);
            float flake = Hash(static_cast<int>(x), static_cast<int>(y), t.seed + 99);
            if (flake > 0.985f) c = Lighten(c, 0.25f * (flake - 0.985f) / 0.015f);
            break;
        }
        case Finish::Hammertone: {
            // Dimples: shade by the slope of smooth noise along the light.
            float n0 = ValueNoise(x, y, 3.5f, t.seed);
            float n1 = ValueNoise(x + 1.0f, y + 1.0f, 3.5f, t.seed);
            c = Scale(c, 1 + 0.75f * (n0 - n1) + 0.03f * fine);
            break;
        }
        case Finish::Brushed: {
            float streak = ValueNoise(x * 0.03f, y * 1.7f, 1.0f, t.seed) - 0.5f;
            c = Scale(c, 1 + 0.12f * streak + 0.04f * fine);
            break;
        }
    }
    return c;
}

}  // namespace

float BevelFacing(float x, float y, float x0, float y0, float x1, float y1, float r) {
    const float e = 0.5f;
    float gx =
        RoundRectSdf(x + e, y, x0, y0, x1, y1, r) - RoundRectSdf(x - e, y, x0, y0, x1, y1, r);
    float gy =
        RoundRectSdf(x, y + e, x0, y0, x1, y1, r) - RoundRectSdf(x, y - e, x0, y0, x1, y1, r);
    float len = std::hypot(gx, gy);
    if (len <= 0) return 0;
    return (gx * kLightX + gy * kLightY) / len;
}

void DrawEnclosure(Canvas& c, const PedalTheme& theme) {
    // The floor the pedal stands on: dark, slightly textured.
    c.Paint(
        {0, 0, kScreenW, kScreenH}, [](float, float) { return -1.0f; },
        [&](float x, float y) {
            float n = Hash(static_cast<int>(x), static_cast<int>(y), 5) * 0.03f;
            return Rgb{0.07f + n, 0.07f + n, 0.075f + n};
        });
    const float x0 = 2, y0 = 2, x1 = 238, y1 = 318, r = 11;
    // Shadow cast down and right.
    c.PaintSolid(
        {0, 0, kScreenW, kScreenH},
        [&](float x, float y) { return RoundRectSdf(x - 1.5f, y - 2, x0, y0, x1, y1, r); },
        Rgb{0, 0, 0}, 4.0f, 0.7f);
    c.Paint(
        {0, 0, kScreenW, kScreenH},
        [&](float x, float y) { return RoundRectSdf(x, y, x0, y0, x1, y1, r); },
        [&](float x, float y) {
            Rgb base = FinishColour(theme, x, y);
            float depth = -RoundRectSdf(x, y, x0, y0, x1, y1, r);
            const float bevel = 5;
            if (depth < bevel) {
                float t = 1 - depth / bevel;
                float facing = BevelFacing(x, y, x0, y0, x1, y1, r);
                base = facing > 0 ? Lighten(base, 0.35f * t * facing)
                                  : Darken(base, -0.45f * t * facing);
            }
            return base;
        });
    // A thin dark line where the top face meets the rounded edge.
    c.PaintSolid(
        {0, 0, kScreenW, kScreenH},
        [&](float x, float y) {
            return std::fabs(RoundRectSdf(x, y, x0 + 5, y0 + 5, x1 - 5, y1 - 5, r - 5)) - 0.4f;
        },
        Rgb{0, 0, 0}, 1.0f, 0.18f);
}

void DrawScrew(Canvas& c, float cx, float cy, float radius, float slotAngle) {
    c.PaintSolid(
        CircleBox(cx, cy, radius + 2),
        [&](float x, float y) { return CircleSdf(x, y, cx + 0.6f, cy + 0.8f, radius); },
        Rgb{0, 0, 0}, 1.6f, 0.55f);
    c.Paint(
        CircleBox(cx, cy, radius),
        [&](float x, float y) { return CircleSdf(x, y, cx, cy, radius); },
        [&](float x, float y) {
            float dx = (x - cx) / radius, dy = (y - cy) / radius;
            float lit = -(dx * kLightX + dy * kLightY) * -1.0f;
            float v = 0.62f + 0.25f * lit * std::min(1.0f, std::hypot(dx, dy) * 1.5f);
            return Rgb{v, v, v * 1.02f};
        });
    // A cross-head: two grooves, their lower-right lips catching the light.
    for (int k = 0; k < 2; ++k) {
        float a = slotAngle + static_cast<float>(k) * kPi / 2;
        float ex = std::cos(a) * radius * 0.7f, ey = std::sin(a) * radius * 0.7f;
        c.PaintSolid(
            CircleBox(cx, cy, radius),
            [&](float x, float y) {
                return SegmentSdf(x, y, cx - ex, cy - ey, cx + ex, cy + ey, radius * 0.16f);
            },
            Rgb{0.12f, 0.12f, 0.13f});
    }
}

void DrawPlate(Canvas& c, float x0, float y0, float x1, float y1, uint32_t seed) {
    const float r = 5;
    // Recess: the plate sits a little below the paint, so its shadow falls
    // on its own upper-left edge, and a highlight runs along the lower right.
    c.PaintSolid(
        RectBox(x0, y0, x1, y1),
        [&](float x, float y) { return RoundRectSdf(x, y, x0 - 1, y0 - 1, x1 + 1, y1 + 1, r + 1); },
        Rgb{1, 1, 1}, 1.0f, 0.22f);
    c.Paint(
        RectBox(x0, y0, x1, y1),
        [&](float x, float y) { return RoundRectSdf(x, y, x0, y0, x1, y1, r); },
        [&](float x, float y) {
            float streak = ValueNoise(x * 0.05f, y * 2.0f, 1.0f, seed) - 0.5f;
            float v = 0.09f + 0.025f * streak +
                      0.012f * (Hash(static_cast<int>(x), static_cast<int>(y), seed) - 0.5f);
            float depth = -RoundRectSdf(x, y, x0, y0, x1, y1, r);
            if (depth < 3) {
                float facing = BevelFacing(x, y, x0, y0, x1, y1, r);
                // Inside a recess the lit side is the far (lower-right) wall.
                v += (1 - depth / 3) * -0.05f * facing;
            }
            return Rgb{v, v, v * 1.08f};
        });
    float inset = 4.5f;
    DrawScrew(c, x0 + inset, y0 + inset, 2.2f, 0.4f);
    DrawScrew(c, x1 - inset, y0 + inset, 2.2f, 1.1f);
    DrawScrew(c, x0 + inset, y1 - inset, 2.2f, 0.9f);
    DrawScrew(c, x1 - inset, y1 - inset, 2.2f, 0.2f);
}

void DrawLampBezel(Canvas& c, int x, int y) {
    float cx = static_cast<float>(x) + 7.5f, cy = static_cast<float>(y) + 7.5f;
    c.Paint(
        CircleBox(cx, cy, 9), [&](float px, float py) { return CircleSdf(px, py, cx, cy, 8.6f); },
        [&](float px, float py) {
            float dx = px - cx, dy = py - cy;
            float len = std::max(0.001f, std::hypot(dx, dy));
            float facing = (dx * kLightX + dy * kLightY) / len;
            float v = 0.55f + 0.35f * facing;
            return Rgb{v, v, v * 1.03f};
        });
    c.PaintSolid(
        CircleBox(cx, cy, 7), [&](float px, float py) { return CircleSdf(px, py, cx, cy, 6.6f); },
        Rgb{0.04f, 0.04f, 0.04f});
}

void DrawSliderSlot(Canvas& c, int x, int y, int w, int h) {
    float cx = static_cast<float>(x) + static_cast<float>(w) * 0.5f;
    float x0 = cx - 3.5f, x1 = cx + 3.5f;
    float y0 = static_cast<float>(y) + 1, y1 = static_cast<float>(y + h) - 1;
    c.PaintSolid(
        RectBox(x0, y0, x1, y1),
        [&](float px, float py) { return RoundRectSdf(px, py, x0, y0, x1, y1, 3); },
        Rgb{0.01f, 0.01f, 0.01f});
    c.PaintSolid(
        RectBox(x0, y0, x1, y1),
        [&](float px, float py) {
            return std::fabs(RoundRectSdf(px - 0.5f, py - 0.5f, x0, y0, x1, y1, 3)) - 0.35f;
        },
        Rgb{1, 1, 1}, 1.0f, 0.12f);
}

void DrawSliderScale(Canvas& c, const FontLibrary& fonts, int x, int y, int h, int thumbLength,
                     float labelX, Align align, const std::string& top, const std::string& middle,
                     const std::string& bottom, Rgb ink) {
    (void)x;
    float start = static_cast<float>(y) + static_cast<float>(thumbLength) * 0.5f;
    float span = static_cast<float>(h - thumbLength);
    TextStyle style{Typeface::SansBold, 7.5f, ink, 1.0f, 0, align};
    const std::string* labels[] = {&top, &middle, &bottom};
    for (int i = 0; i < 3; ++i) {
        if (labels[i]->empty()) continue;
        float ty = start + span * 0.5f * static_cast<float>(i);
        DrawText(c, fonts, style, labelX, ty + 3, *labels[i]);
    }
}

void DrawKnobScale(Canvas& c, float cx, float cy, float radius, int dots, Rgb ink) {
    for (int i = 0; i < dots; ++i) {
        float a = -0.75f * kPi + 1.5f * kPi * static_cast<float>(i) / static_cast<float>(dots - 1);
        float px = cx + std::sin(a) * radius, py = cy - std::cos(a) * radius;
        bool end = i == 0 || i == dots - 1;
        float dot = end ? 1.5f : 1.0f;
        c.PaintSolid(
            CircleBox(px, py, dot), [&](float x, float y) { return CircleSdf(x, y, px, py, dot); },
            ink, 1.0f, 0.9f);
    }
}

void DrawKnobLabel(Canvas& c, const FontLibrary& fonts, float cx, float cy,
                   const std::string& label, Rgb ink, Rgb shadow, float drop) {
    TextStyle style{Typeface::SansBold, 9.0f, ink, 1.0f, 0.3f, Align::Centre};
    DrawPrintedText(c, fonts, style, cx, cy + drop, label, shadow, 0.45f);
}

void DrawSweepText(Canvas& c, const FontLibrary& fonts, float cx, float cy, float radius,
                   float fraction, const std::string& text, Rgb ink, float size) {
    float a = -0.75f * kPi + 1.5f * kPi * fraction;
    float px = cx + std::sin(a) * radius, py = cy - std::cos(a) * radius;
    // Text at the ends of the sweep sits just under the end dot, between the
    // knob and its label; elsewhere it is centred on the sweep.
    bool end = fraction < 0.25f || fraction > 0.75f;
    TextStyle style{Typeface::SansBold, size, ink, 1.0f, 0, Align::Centre};
    DrawText(c, fonts, style, px, end ? py + size + 0.5f : py + size * 0.36f, text);
}

void DrawTitle(Canvas& c, const FontLibrary& fonts, float x, float y, float maxWidth,
               const std::string& text, Typeface face, float size, Rgb ink, Rgb shadow,
               float tracking) {
    TextStyle style{face, size, ink, 1.0f, tracking, Align::Centre};
    while (style.size > 6 && TextWidth(fonts, style, text) > maxWidth) style.size -= 0.5f;
    DrawPrintedText(c, fonts, style, x, y, text, shadow, 0.55f);
}

void DrawTreadle(Canvas& c, const FontLibrary& fonts, const PedalTheme& theme) {
    const float x0 = static_cast<float>(kFootswitchArea.x0),
                y0 = static_cast<float>(kFootswitchArea.y0);
    const float x1 = static_cast<float>(kFootswitchArea.x1),
                y1 = static_cast<float>(kFootswitchArea.y1);
    // The gap around the hinged plate.
    c.PaintSolid(
        RectBox(x0, y0, x1, y1),
        [&](float x, float y) { return RoundRectSdf(x, y, x0, y0, x1, y1, 7); },
        Rgb{0.02f, 0.02f, 0.02f});
    const float px0 = x0 + 2, py0 = y0 + 2, px1 = x1 - 2, py1 = y1 - 2;
    Rgb plate = Darken(theme.body, 0.1f);
    c.Paint(
        RectBox(px0, py0, px1, py1),
        [&](float x, float y) { return RoundRectSdf(x, y, px0, py0, px1, py1, 6); },
        [&](float x, float y) {
            float fine = Hash(static_cast<int>(x), static_cast<int>(y), theme.seed + 3) - 0.5f;
            // The plate tilts towards the player: brighter at the hinge.
            Rgb base = Scale(plate, 1.08f - 0.18f * (y - py0) / (py1 - py0) + 0.03f * fine);
            float depth = -RoundRectSdf(x, y, px0, py0, px1, py1, 6);
            if (depth < 3.5f) {
                float t = 1 - depth / 3.5f;
                float facing = BevelFacing(x, y, px0, py0, px1, py1, 6);
                base = facing > 0 ? Lighten(base, 0.4f * t * facing)
                                  : Darken(base, -0.5f * t * facing);
            }
            return base;
        });
    // Hinge rod along the top edge.
    c.Paint(
        RectBox(px0 + 10, py0 + 3, px1 - 10, py0 + 7),
        [&](float x, float y) {
            return RoundRectSdf(x, y, px0 + 10, py0 + 3, px1 - 10, py0 + 7, 2);
        },
        [&](float, float y) {
            float v = 0.35f + 0.4f * std::cos((y - (py0 + 4.5f)) * 1.2f);
            return Rgb{v, v, v};
        });
    DrawScrew(c, px0 + 6, py0 + 5, 2.6f, 0.3f);
    DrawScrew(c, px1 - 6, py0 + 5, 2.6f, 1.2f);
    // Rubber pad with ribs across it.
    const float rx0 = px0 + 7, ry0 = py0 + 26, rx1 = px1 - 7, ry1 = py1 - 6;
    c.PaintSolid(
        RectBox(rx0, ry0, rx1, ry1),
        [&](float x, float y) { return RoundRectSdf(x - 1, y - 1.5f, rx0, ry0, rx1, ry1, 5); },
        Rgb{0, 0, 0}, 2.0f, 0.5f);
    c.Paint(
        RectBox(rx0, ry0, rx1, ry1),
        [&](float x, float y) { return RoundRectSdf(x, y, rx0, ry0, rx1, ry1, 5); },
        [&](float x, float y) {
            float rib = std::fmod(y - ry0, 5.0f);
            float v = 0.07f;
            if (rib < 1.0f)
                v = 0.2f;  // lit top of a rib
            else if (rib > 3.8f)
                v = 0.035f;  // shadowed groove
            v += 0.015f * (Hash(static_cast<int>(x), static_cast<int>(y), 77) - 0.5f);
            float edge = -RoundRectSdf(x, y, rx0, ry0, rx1, ry1, 5);
            if (edge < 2) v *= 0.7f + 0.15f * edge;
            return Rgb{v, v, v};
        });
    // Brand name on the plate between hinge and pad.
    TextStyle brand{Typeface::SansBold, 9.0f, theme.accent, 1.0f, 3.0f, Align::Centre};
    DrawPrintedText(c, fonts, brand, (px0 + px1) * 0.5f, py0 + 20, "AMPLIRO", Rgb{0, 0, 0}, 0.5f);
}

}  // namespace ampliro::art
