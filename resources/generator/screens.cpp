#include "resources/generator/screens.h"

#include <cmath>
#include <numbers>

#include "resources/generator/pedal_parts.h"

namespace ampliro::art {

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
const Rgb kPanelInk = Hex(0xC8CED6);

// The console every area shares: brushed dark steel, a title bar, screws.
void DrawConsole(Canvas& c, const FontLibrary& fonts, int height, const std::string& title,
                 Rgb accent, uint32_t seed) {
    float h = static_cast<float>(height);
    c.Paint(
        {0, 0, kScreenW, height}, [](float, float) { return -1.0f; },
        [&](float x, float y) {
            float streak = ValueNoise(x * 0.03f, y * 1.6f, 1.0f, seed) - 0.5f;
            float fine = Hash(static_cast<int>(x), static_cast<int>(y), seed) - 0.5f;
            float v = 0.17f - 0.05f * y / h + 0.03f * streak + 0.012f * fine;
            return Rgb{v, v * 1.02f, v * 1.08f};
        });
    // Raised edge all round.
    c.PaintSolid(
        {0, 0, kScreenW, height},
        [&](float x, float y) { return std::fabs(RoundRectSdf(x, y, 1, 1, 239, h - 1, 6)) - 0.5f; },
        Rgb{1, 1, 1}, 1.0f, 0.12f);
    // Title bar: a painted strip with the area's name.
    c.Paint(
        {0, 0, kScreenW, 36},
        [](float x, float y) { return RoundRectSdf(x, y, 14, 6, 200, 30, 4); },
        [&](float, float y) { return Mix(Hex(0x0B0C0E), Hex(0x1C1F24), (y - 6) / 24); });
    c.PaintSolid(
        {0, 0, kScreenW, 36},
        [](float x, float y) { return RoundRectSdf(x, y, 14, 29, 200, 30, 0.5f); }, accent, 1.0f,
        0.8f);
    TextStyle style{Typeface::SansBold, 14, accent, 1, 1.5f, Align::Left};
    DrawPrintedText(c, fonts, style, 22, 24, title, Rgb{0, 0, 0}, 0.8f);
    DrawScrew(c, 7, 7, 2.6f, 0.5f);
    DrawScrew(c, 233, 7, 2.6f, 1.0f);
    DrawScrew(c, 7, h - 8, 2.6f, 0.2f);
    DrawScrew(c, 233, h - 8, 2.6f, 0.8f);
}

// A recessed section of the console with an optional heading at its top left.
void DrawPanel(Canvas& c, const FontLibrary& fonts, float x0, float y0, float x1, float y1,
               const std::string& heading) {
    c.Paint(
        RectBox(x0, y0, x1, y1),
        [&](float x, float y) { return RoundRectSdf(x, y, x0, y0, x1, y1, 5); },
        [&](float x, float y) {
            float v = 0.085f + 0.01f * (Hash(static_cast<int>(x), static_cast<int>(y), 9) - 0.5f);
            float edge = -RoundRectSdf(x, y, x0, y0, x1, y1, 5);
            if (edge < 2.5f) {
                // In a recess the wall facing the light is the lower right one.
                v -= (1 - edge / 2.5f) * 0.07f * BevelFacing(x, y, x0, y0, x1, y1, 5);
            }
            return Rgb{v, v, v * 1.1f};
        });
    if (!heading.empty()) {
        TextStyle style{Typeface::SansBold, 7, kPanelInk, 0.9f, 1.2f, Align::Left};
        DrawText(c, fonts, style, x0 + 6, y0 + 10, heading);
    }
}

void DrawSmallCaps(Canvas& c, const FontLibrary& fonts, float x, float y, const std::string& text,
                   Align align = Align::Left, float size = 7) {
    TextStyle style{Typeface::SansBold, size, kPanelInk, 0.95f, 1.2f, align};
    DrawText(c, fonts, style, x, y, text);
}

// Text running up the screen, centred on (cx, cy).
void DrawVerticalText(Canvas& c, const FontLibrary& fonts, float cx, float cy,
                      const std::string& text, float size) {
    TextStyle style{Typeface::SansBold, size, kPanelInk, 0.95f, 1.5f, Align::Centre};
    int w = static_cast<int>(TextWidth(fonts, style, text)) + 4,
        h = static_cast<int>(size * 1.4f) + 2;
    Canvas strip(w, h, Rgb{0, 0, 0});
    style.colour = Rgb{1, 1, 1};
    DrawText(strip, fonts, style, static_cast<float>(w) * 0.5f,
             static_cast<float>(h) - size * 0.45f, text);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            // Rotate a quarter turn anticlockwise: strip x runs up the screen.
            int tx = static_cast<int>(cx) - h / 2 + y, ty = static_cast<int>(cy) + w / 2 - x;
            c.Blend(tx, ty, kPanelInk, strip.At(x, y).r * 0.95f);
        }
    }
}

void DrawDialRing(Canvas& c, float cx, float cy, float radius, int ticks, Rgb ink) {
    for (int i = 0; i < ticks; ++i) {
        float a = 2 * kPi * static_cast<float>(i) / static_cast<float>(ticks);
        bool major = i % 5 == 0;
        float r0 = radius - (major ? 4.0f : 2.5f);
        float ax = cx + std::sin(a) * r0, ay = cy - std::cos(a) * r0;
        float bx = cx + std::sin(a) * radius, by = cy - std::cos(a) * radius;
        c.PaintSolid(
            CircleBox(cx, cy, radius + 2),
            [&](float x, float y) {
                return SegmentSdf(x, y, ax, ay, bx, by, major ? 0.7f : 0.45f);
            },
            ink, 1.0f, major ? 0.95f : 0.7f);
    }
}

void DrawReel(Canvas& c, float cx, float cy, float radius, float tape) {
    // Tape pack, then the clear flange with three spokes' windows.
    c.Paint(
        CircleBox(cx, cy, tape), [&](float x, float y) { return CircleSdf(x, y, cx, cy, tape); },
        [&](float x, float y) {
            float r = std::hypot(x - cx, y - cy);
            float v = 0.2f + 0.04f * std::sin(r * 2.1f);
            return Rgb{v * 0.8f, v * 0.6f, v * 0.45f};
        });
    c.Paint(
        CircleBox(cx, cy, radius),
        [&](float x, float y) {
            float ring = std::fabs(CircleSdf(x, y, cx, cy, radius - 1.5f)) - 1.5f;
            float hub = CircleSdf(x, y, cx, cy, radius * 0.28f);
            float spokes = 1e9f;
            for (int k = 0; k < 3; ++k) {
                float a = static_cast<float>(k) * 2 * kPi / 3 + 0.3f;
                spokes = std::min(spokes, SegmentSdf(x, y, cx, cy, cx + std::sin(a) * radius,
                                                     cy - std::cos(a) * radius, 2.2f));
            }
            return std::min(ring, std::min(hub, spokes));
        },
        [&](float x, float y) {
            float facing = -((x - cx) + (y - cy)) / (radius * 1.4f);
            float v = 0.62f + 0.25f * facing;
            return Rgb{v, v, v * 1.03f};
        });
    c.PaintSolid(
        CircleBox(cx, cy, 4), [&](float x, float y) { return CircleSdf(x, y, cx, cy, 3.2f); },
        Hex(0x111111));
}

void DrawConfiguration(Canvas& c, const FontLibrary& fonts, int height) {
    DrawConsole(c, fonts, height, "CONFIGURATION", Hex(0xFFB347), 150);
    DrawPanel(c, fonts, 11, 38, 59, 123, "POWER");
    DrawPanel(c, fonts, 66, 38, 229, 123, "AUDIO");
    DrawKnobScale(c, 109.5f, 84.5f, 23.5f, 11, kPanelInk);
    DrawKnobScale(c, 179.5f, 84.5f, 23.5f, 11, kPanelInk);
    DrawSmallCaps(c, fonts, 21, 129, "SAMPLE RATE", Align::Left, 6.5f);
    DrawLampBezel(c, 165, 131);
    float bottom = height == kScreenH ? 309.0f : 231.0f;
    DrawPanel(c, fonts, 11, 151, 229, bottom, "");
    float listBottom = height == kScreenH ? 301.0f : 221.0f;
    DrawVerticalText(c, fonts, 15.5f, (155 + listBottom) * 0.5f, "EFFECT ORDER",
                     height == kScreenH ? 7.0f : 6.0f);
}

void DrawPresets(Canvas& c, const FontLibrary& fonts, int height) {
    DrawConsole(c, fonts, height, "PRESETS", Hex(0x5CD0E8), 152);
    DrawSmallCaps(c, fonts, 20, 48, "THE SOUND OF ALL NINE PEDALS, BY NAME", Align::Left, 6.5f);
    float listBottom = height == kScreenH ? 281.0f : 196.0f;
    DrawPanel(c, fonts, 14, 52, 226, listBottom + 3, "");
    float barTop = height == kScreenH ? 282.0f : 202.0f;
    DrawPanel(c, fonts, 14, barTop, 226, barTop + 26, "");
}

void DrawMetronome(Canvas& c, const FontLibrary& fonts, int height) {
    DrawConsole(c, fonts, height, "METRONOME", Hex(0x8CE06A), 154);
    DrawPanel(c, fonts, 11, 38, 229, 214, "");
    // The tempo dial turns endlessly: a ring of ticks all the way round.
    DrawDialRing(c, 119.5f, 99.5f, 31, 40, kPanelInk);
    DrawLampBezel(c, 30, 90);
    DrawLampBezel(c, 195, 90);
    // Beats per bar, 1 to 6, on the accent knob's sweep.
    for (int i = 0; i < 6; ++i) {
        float a = -0.75f * kPi + 1.5f * kPi * static_cast<float>(i) / 5;
        float px = 55.5f + std::sin(a) * 25, py = 144.5f - std::cos(a) * 25;
        TextStyle style{Typeface::SansBold, 7, kPanelInk, 1, 0, Align::Centre};
        DrawText(c, fonts, style, px, py + 2.5f, std::to_string(i + 1));
    }
    DrawKnobScale(c, 185.5f, 144.5f, 23.5f, 11, kPanelInk);
    DrawSmallCaps(c, fonts, 119.5f, 50, "TEMPO", Align::Centre);
    if (height < kScreenH) return;
    // A reminder of the classical tempo markings.
    DrawPanel(c, fonts, 11, 220, 229, 309, "TEMPO MARKINGS");
    const char* names[] = {"Largo", "Adagio", "Andante", "Moderato", "Allegro", "Vivace", "Presto"};
    const char* ranges[] = {"40-60", "66-76", "76-108", "108-120", "120-156", "156-176", "168-200"};
    TextStyle name{Typeface::Sans, 8.5f, Hex(0xE6EAEE), 1, 0, Align::Left};
    TextStyle range{Typeface::SansBold, 8.5f, Hex(0x8CE06A), 1, 0, Align::Right};
    for (int i = 0; i < 7; ++i) {
        int column = i < 4 ? 0 : 1, row = i < 4 ? i : i - 4;
        float x = column == 0 ? 20.0f : 125.0f;
        float y = 245.0f + 15.0f * static_cast<float>(row);
        DrawText(c, fonts, name, x, y, names[i]);
        DrawText(c, fonts, range, x + 95, y, ranges[i]);
    }
    DrawSmallCaps(c, fonts, 220, 300, "BEATS PER MINUTE", Align::Right, 6);
}

void DrawRecorder(Canvas& c, const FontLibrary& fonts, int height) {
    DrawConsole(c, fonts, height, "LOOP RECORDER", Hex(0xFF6A5A), 157);
    DrawPanel(c, fonts, 11, 38, 229, 107, "TRANSPORT");
    DrawSmallCaps(c, fonts, 20, 117, "POSITION");
    // The slider's groove.
    c.PaintSolid(
        {0, 110, kScreenW, 145},
        [](float x, float y) { return RoundRectSdf(x, y, 22, 127, 218, 133, 3); }, Hex(0x050505));
    for (int i = 0; i <= 10; ++i) {
        float x = 24.5f + 19.1f * static_cast<float>(i);
        c.PaintSolid(
            {0, 135, kScreenW, 145},
            [&](float px, float py) {
                return SegmentSdf(px, py, x, 141, x, i % 5 == 0 ? 145.0f : 143.0f, 0.45f);
            },
            kPanelInk, 1.0f, 0.8f);
    }
    DrawPanel(c, fonts, 11, 149, 229, 203, "");
    if (height < kScreenH) return;
    // A pair of tape reels under the controls.
    DrawPanel(c, fonts, 11, 209, 229, 309, "");
    c.PaintSolid(
        {0, 200, kScreenW, 320},
        [](float x, float y) {
            return std::min(SegmentSdf(x, y, 34, 290, 120, 300, 0.8f),
                            SegmentSdf(x, y, 120, 300, 206, 290, 0.8f));
        },
        Hex(0x3A2A20));
    DrawReel(c, 70, 257, 38, 30);
    DrawReel(c, 170, 257, 38, 18);
    c.PaintSolid(
        {0, 200, kScreenW, 320},
        [](float x, float y) { return RoundRectSdf(x, y, 110, 293, 130, 305, 2); }, Hex(0x9A9EA4));
}

}  // namespace

Canvas DrawAreaBackground(const FontLibrary& fonts, Area area, int height) {
    Canvas c(kScreenW, height);
    switch (area) {
        case Area::Configuration:
            DrawConfiguration(c, fonts, height);
            break;
        case Area::Presets:
            DrawPresets(c, fonts, height);
            break;
        case Area::Metronome:
            DrawMetronome(c, fonts, height);
            break;
        case Area::Recorder:
            DrawRecorder(c, fonts, height);
            break;
    }
    return c;
}

}  // namespace ampliro::art
