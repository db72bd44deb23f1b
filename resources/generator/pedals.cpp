#include "resources/generator/pedals.h"

#include <cmath>
#include <numbers>

#include "resources/generator/pedal_parts.h"

namespace ampliro::art {

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

struct PedalLook {
    PedalTheme theme;
    std::string title;
    std::string subtitle;
    Typeface titleFace;
    float titleSize;
    float tracking;
};

const PedalLayout kLayouts[kPedalCount] = {
    {0,
     {{111, 41, "Rate", 129},
      {186, 41, "Depth", 129},
      {111, 113, "Feedback", 129},
      {186, 113, "Mix", 129}},
     true,
     true,
     false},
    {1,
     {{111, 41, "Frequency", 125},
      {186, 41, "Resonance", 125},
      {111, 113, "Gain", 125},
      {186, 113, "Mix", 125}},
     true,
     true,
     false},
    {2,
     {{111, 41, "Delay", 127},
      {186, 41, "Decay", 127},
      {111, 113, "Cutoff", 127},
      {186, 113, "Mix", 127}},
     true,
     true,
     false},
    {3, {{111, 113, "Semitones", 125}, {186, 113, "Mix", 125}}, true, true, false},
    {4, {}, true, true, true},
    {5,
     {{111, 41, "Delay", 125},
      {186, 41, "Decay", 125},
      {111, 113, "Filter", 125},
      {186, 113, "Mix", 125}},
     true,
     true,
     false},
    {6,
     {{111, 41, "Speed", 125},
      {186, 41, "Depth", 125},
      {111, 113, "Feedback", 125},
      {186, 113, "Mix", 125}},
     true,
     true,
     false},
    {7,
     {{120, 41, "Drive", 131},
      {188, 41, "Saturation", 131},
      {50, 113, "Bass", 129},
      {120, 113, "Middle", 129},
      {188, 113, "Treble", 129}},
     false,
     false,
     false},
    {8, {{111, 113, "Rate", 131}, {186, 113, "Depth", 131}}, true, true, false},
};

// Their knobs' names sit lower than the nine's: the program prints the
// knob's reading between the knob and its name.
const PedalLayout kNewLayouts[kNewPedalCount] = {
    {30,
     {{120, 41, "Threshold", 125},
      {188, 41, "Hysteresis", 125},
      {50, 118, "Attack", 125},
      {120, 118, "Hold", 125},
      {188, 118, "Release", 125}},
     false,
     false,
     false},
    {31, {{111, 41, "Input", 131}, {186, 41, "Output", 131}}, false, true, false},
    {32, {{111, 41, "Level", 127}, {186, 41, "Mix", 127}}, false, true, false},
};
constexpr float kNewLabelDrop = 43;

PedalLook LookFor(int imageIndex) {
    switch (imageIndex) {
        case 30:
            return {{Hex(0x2B2F36), Hex(0xD6FF5A), Hex(0x9BE22E), Finish::Hammertone, 130},
                    "NOISE GATE",
                    "silence between the notes",
                    Typeface::SansBold,
                    22,
                    1};
        case 31:
            return {{Hex(0x1E1A17), Hex(0xF2D8A0), Hex(0xE89A2C), Finish::Brushed, 131},
                    "AMP",
                    "neural amp model",
                    Typeface::SerifBold,
                    30,
                    3};
        case 32:
            return {{Hex(0x4A3326), Hex(0xF4E6CC), Hex(0xC8A878), Finish::Powder, 132},
                    "CABINET",
                    "speaker cabinet impulse response",
                    Typeface::SerifBold,
                    26,
                    2};
        case 0:
            return {{Hex(0xE0641A), Hex(0x1A1208), Hex(0xFFE2B0), Finish::Powder, 100},
                    "PHASER",
                    "four-stage phase shifter",
                    Typeface::SerifBoldItalic,
                    34,
                    1};
        case 1:
            return {{Hex(0x33373D), Hex(0xE6EAEE), Hex(0x46D0E0), Finish::Brushed, 101},
                    "PARAMETRIC EQUALIZER",
                    "state-variable filter",
                    Typeface::CondensedBold,
                    17,
                    1};
        case 2:
            return {{Hex(0x16735A), Hex(0xF3EFDC), Hex(0xBFF5DF), Finish::Metallic, 102},
                    "DIGITAL DELAY",
                    "three seconds of echo",
                    Typeface::SansBold,
                    21,
                    1};
        case 3:
            return {{Hex(0x5A2C8A), Hex(0xF5EBFF), Hex(0xE8C45A), Finish::Metallic, 103},
                    "PITCH SHIFTER",
                    "one octave up or down",
                    Typeface::SansBold,
                    21,
                    1};
        case 4:
            return {{Hex(0x6E747C), Hex(0x121416), Hex(0xE8ECF0), Finish::Brushed, 104},
                    "GRAPHIC EQUALIZER",
                    "seven octave bands",
                    Typeface::CondensedBold,
                    19,
                    1};
        case 5:
            return {{Hex(0x1C3472), Hex(0xEAF0FF), Hex(0x9EC0FF), Finish::Hammertone, 105},
                    "DIGITAL REVERB",
                    "eight-comb room",
                    Typeface::SansBold,
                    21,
                    1};
        case 6:
            return {{Hex(0x2E8DD4), Hex(0xFFFFFF), Hex(0xD8F0FF), Finish::Powder, 106},
                    "CHORUS / FLANGER",
                    "swept short delay",
                    Typeface::SansBold,
                    19,
                    1};
        case 7:
            return {{Hex(0xA51B24), Hex(0xFFE6A8), Hex(0xFFD060), Finish::Metallic, 107},
                    "OVERDRIVE / DISTORTION",
                    "three-band tone stack",
                    Typeface::CondensedBold,
                    19,
                    0.5f};
        default:
            return {{Hex(0xC8961E), Hex(0x2A1A08), Hex(0x3A2208), Finish::Powder, 108},
                    "TREMOLO",
                    "vintage amplitude wobble",
                    Typeface::SerifBold,
                    30,
                    2};
    }
}

Rgb ShadowFor(const PedalTheme& t) {
    float lum = 0.3f * t.ink.r + 0.59f * t.ink.g + 0.11f * t.ink.b;
    return lum > 0.5f ? Rgb{0, 0, 0} : Lighten(t.body, 0.45f);
}

void DrawWave(Canvas& c, float x0, float x1, float yMid, float amplitude, float cycles, Rgb colour,
              float width, float alpha, float envelope) {
    int steps = static_cast<int>((x1 - x0) * 2);
    for (int i = 0; i < steps; ++i) {
        float t0 = static_cast<float>(i) / static_cast<float>(steps);
        float t1 = static_cast<float>(i + 1) / static_cast<float>(steps);
        auto y = [&](float t) {
            float env = envelope > 0 ? 0.55f + 0.45f * std::sin(2 * kPi * envelope * t) : 1.0f;
            return yMid - amplitude * env * std::sin(2 * kPi * cycles * t);
        };
        float ax = x0 + (x1 - x0) * t0, bx = x0 + (x1 - x0) * t1;
        float ay = y(t0), by = y(t1);
        c.PaintSolid(
            RectBox(std::min(ax, bx), std::min(ay, by), std::max(ax, bx), std::max(ay, by),
                    width + 1),
            [&](float x, float yy) { return SegmentSdf(x, yy, ax, ay, bx, by, width * 0.5f); },
            colour, 1.0f, alpha);
    }
}

void DrawKeyboard(Canvas& c, float x0, float y0, float keyWidth, float height) {
    float x1 = x0 + keyWidth * 7;
    c.PaintSolid(
        RectBox(x0 - 3, y0 - 3, x1 + 3, y0 + height + 3),
        [&](float x, float y) {
            return RoundRectSdf(x, y, x0 - 3, y0 - 3, x1 + 3, y0 + height + 3, 3);
        },
        Rgb{0.05f, 0.04f, 0.06f});
    for (int k = 0; k < 7; ++k) {
        float kx0 = x0 + keyWidth * static_cast<float>(k) + 0.5f, kx1 = kx0 + keyWidth - 1;
        c.Paint(
            RectBox(kx0, y0, kx1, y0 + height),
            [&](float x, float y) { return RoundRectSdf(x, y, kx0, y0 - 3, kx1, y0 + height, 2); },
            [&](float, float y) {
                float v = 0.97f - 0.12f * (y - y0) / height;
                return Rgb{v, v, v * 0.97f};
            });
    }
    const int blacks[] = {0, 1, 3, 4, 5};
    for (int b : blacks) {
        float cx = x0 + keyWidth * static_cast<float>(b + 1);
        float bx0 = cx - keyWidth * 0.32f, bx1 = cx + keyWidth * 0.32f, by1 = y0 + height * 0.6f;
        c.Paint(
            RectBox(bx0, y0, bx1, by1),
            [&](float x, float y) { return RoundRectSdf(x, y, bx0, y0 - 3, bx1, by1, 1.5f); },
            [&](float x, float y) {
                float v = 0.08f + 0.1f * (x - bx0 < 1.5f ? 1.0f : 0.0f) +
                          0.06f * (by1 - y < 3 ? 1.0f : 0.0f);
                return Rgb{v, v, v * 1.05f};
            });
    }
}

void DrawScope(Canvas& c, float x0, float y0, float x1, float y1) {
    c.Paint(
        RectBox(x0, y0, x1, y1),
        [&](float x, float y) { return RoundRectSdf(x, y, x0, y0, x1, y1, 4); },
        [&](float x, float y) {
            float glow = 0.05f + 0.04f * (1 - std::fabs((y - (y0 + y1) / 2) / ((y1 - y0) / 2)));
            bool grid = std::fmod(x - x0, 12.0f) < 1 || std::fmod(y - y0, 10.0f) < 1;
            return Rgb{glow * 0.6f, glow + (grid ? 0.06f : 0), glow * 0.7f};
        });
    DrawWave(c, x0 + 4, x1 - 4, (y0 + y1) * 0.5f, (y1 - y0) * 0.36f, 9, Hex(0x7CFF9A), 1.6f, 1.0f,
             1.5f);
    c.PaintSolid(
        RectBox(x0, y0, x1, y1),
        [&](float x, float y) { return std::fabs(RoundRectSdf(x, y, x0, y0, x1, y1, 4)) - 0.8f; },
        Rgb{0.75f, 0.75f, 0.72f});
}

void DrawBell(Canvas& c, float x0, float x1, float yBase, float height, Rgb colour) {
    int steps = static_cast<int>((x1 - x0) * 2);
    for (int i = 0; i < steps; ++i) {
        auto pt = [&](int k, float* x, float* y) {
            float t = static_cast<float>(k) / static_cast<float>(steps);
            *x = x0 + (x1 - x0) * t;
            float u = (t - 0.5f) * 7;
            *y = yBase - height / (1 + u * u);
        };
        float ax, ay, bx, by;
        pt(i, &ax, &ay);
        pt(i + 1, &bx, &by);
        c.PaintSolid(
            RectBox(ax, std::min(ay, by), bx, std::max(ay, by), 3),
            [&](float x, float y) { return SegmentSdf(x, y, ax, ay, bx, by, 0.8f); }, colour);
    }
}

void DrawSparkles(Canvas& c, uint32_t seed, Box area, Rgb colour) {
    for (int i = 0; i < 14; ++i) {
        float x =
            static_cast<float>(area.x0) + Hash(i, 1, seed) * static_cast<float>(area.x1 - area.x0);
        float y =
            static_cast<float>(area.y0) + Hash(i, 2, seed) * static_cast<float>(area.y1 - area.y0);
        float s = 1.5f + 2.5f * Hash(i, 3, seed);
        c.PaintSolid(
            CircleBox(x, y, s + 1),
            [&](float px, float py) {
                float h = SegmentSdf(px, py, x - s, y, x + s, y, 0.35f);
                float v = SegmentSdf(px, py, x, y - s, x, y + s, 0.35f);
                return std::min(h, v);
            },
            colour, 1.0f, 0.8f);
        c.PaintSolid(
            CircleBox(x, y, 2), [&](float px, float py) { return CircleSdf(px, py, x, y, 0.8f); },
            Rgb{1, 1, 1});
    }
}

// A round badge with a lightning bolt, for the drive pedal's free corner.
void DrawBoltBadge(Canvas& c, float cx, float cy, float r, const PedalTheme& t) {
    c.PaintSolid(
        CircleBox(cx, cy, r + 3),
        [&](float x, float y) { return CircleSdf(x, y, cx + 1, cy + 1.5f, r); }, Rgb{0, 0, 0}, 2.5f,
        0.5f);
    c.Paint(
        CircleBox(cx, cy, r), [&](float x, float y) { return CircleSdf(x, y, cx, cy, r); },
        [&](float x, float y) {
            float d = std::hypot(x - cx, y - cy) / r;
            Rgb inner = Mix(Hex(0x2A0A0C), Hex(0x120406), d);
            float ring = SmoothStep(0.8f, 0.86f, d);
            float facing = -((x - cx) + (y - cy)) / (r * 1.414f);
            return Mix(inner, Lighten(Scale(t.accent, 0.75f), 0.3f * facing), ring);
        });
    // The bolt: two convex pieces, offsets from the centre in units of r.
    const float upper[8] = {0.12f, -0.62f, 0.5f, -0.62f, 0.08f, 0.06f, -0.3f, 0.06f};
    const float lower[6] = {-0.12f, -0.06f, 0.36f, -0.06f, -0.32f, 0.68f};
    float a[8], b[6];
    for (int i = 0; i < 4; ++i) {
        a[2 * i] = cx + upper[2 * i] * r;
        a[2 * i + 1] = cy + upper[2 * i + 1] * r;
    }
    for (int i = 0; i < 3; ++i) {
        b[2 * i] = cx + lower[2 * i] * r;
        b[2 * i + 1] = cy + lower[2 * i + 1] * r;
    }
    Box box = CircleBox(cx, cy, r);
    c.Paint(
        box,
        [&](float x, float y) { return std::min(ConvexSdf(x, y, a, 4), ConvexSdf(x, y, b, 3)); },
        [&](float, float y) {
            return Mix(Lighten(t.accent, 0.5f), t.accent, (y - cy + r) / (2 * r));
        });
}

void DrawGraphicEq(Canvas& c, const FontLibrary& fonts, const PedalTheme& t) {
    DrawPlate(c, 10, 6, 230, 151, t.seed);
    DrawLampBezel(c, 20, 12);
    DrawLampBezel(c, 90, 12);
    Rgb ink = Hex(0xE8ECF0);
    // The 0 dB line across the bands.
    float mid = 30 + 4.5f + 91.0f * 0.5f;
    c.PaintSolid(
        RectBox(46, mid, 222, mid),
        [&](float x, float y) {
            return std::max(std::fabs(y - mid) - 0.5f, std::max(46 - x, x - 222));
        },
        Hex(0x46D0E0), 1.0f, 0.35f);
    DrawSliderSlot(c, 23, 30, 15, 100);
    const char* bands[] = {"100", "200", "400", "800", "1.6K", "3.2K", "6.4K"};
    TextStyle label{Typeface::SansBold, 7.5f, ink, 1.0f, 0, Align::Centre};
    for (int i = 0; i < 7; ++i) {
        int x = 63 + 21 * i;
        DrawSliderSlot(c, x, 30, 15, 100);
        DrawText(c, fonts, label, static_cast<float>(x) + 7.5f, 143, bands[i]);
    }
    DrawSliderScale(c, fonts, 0, 30, 100, 9, 51, Align::Centre, "+", "0", "", ink);
    DrawSliderScale(c, fonts, 0, 30, 100, 9, 216, Align::Centre, "+", "0", "", ink);
    // The minus sign as a bar of the plus sign's width: a hyphen at this
    // size is a speck.
    const float low = 30 + 4.5f + 91.0f;
    for (float x : {51.0f, 216.0f}) {
        c.PaintSolid(
            RectBox(x - 4, low - 2, x + 4, low + 2),
            [&](float px, float py) {
                return SegmentSdf(px, py, x - 2.5f, low, x + 2.5f, low, 0.6f);
            },
            ink);
    }
    TextStyle db{Typeface::Sans, 6.5f, Hex(0xA0A8B0), 1.0f, 0, Align::Centre};
    DrawText(c, fonts, db, 216, 27, "dB");
    DrawText(c, fonts, db, 216, 143, "Hz");
}

}  // namespace

const PedalLayout& PedalLayoutFor(int imageIndex) {
    if (imageIndex >= kFirstNewPedal) return kNewLayouts[imageIndex - kFirstNewPedal];
    return kLayouts[imageIndex];
}

Canvas DrawPedal(const FontLibrary& fonts, int imageIndex) {
    const PedalLayout& layout = PedalLayoutFor(imageIndex);
    const bool newPedal = imageIndex >= kFirstNewPedal;
    PedalLook look = LookFor(imageIndex);
    const PedalTheme& t = look.theme;
    Rgb shadow = ShadowFor(t);
    Canvas c(kScreenW, kScreenH);
    DrawEnclosure(c, t);

    if (layout.graphicEq) {
        DrawGraphicEq(c, fonts, t);
    } else if (layout.levelSlider) {
        DrawPlate(c, 10, 6, 80, 157, t.seed);
        DrawLampBezel(c, 20, 12);
        if (layout.peakLamp) DrawLampBezel(c, 20, 30);
        DrawSliderSlot(c, 28, 50, 15, 90);
        DrawSliderScale(c, fonts, 28, 50, 90, 9, 51, Align::Left, "10", "5", "0", Hex(0xE8ECF0));
        if (imageIndex == 5) {
            // A dark pad behind the Filter's LP/HP selector at (65, 138, 18, 14),
            // whose white caption needs it.
            c.PaintSolid(
                RectBox(58, 132, 90, 157),
                [](float x, float y) { return RoundRectSdf(x, y, 59, 133, 89, 157, 4); },
                Hex(0x17181B));
        }
    } else {
        DrawPlate(c, 10, 6, 84, layout.peakLamp ? 54 : 36, t.seed);
        DrawLampBezel(c, 20, 12);
        if (layout.peakLamp) DrawLampBezel(c, 20, 30);
    }

    for (const KnobPlace& k : layout.knobs) {
        int dots = 11;
        if (imageIndex == 3 && k.label == "Semitones") dots = 25;
        DrawKnobScale(c, k.cx, k.cy, 23.5f, dots, t.ink);
        bool endLabels = (imageIndex == 3 || imageIndex == 5) && k.cx == 111 && k.cy == 113;
        float drop = newPedal ? kNewLabelDrop : endLabels ? 34.0f : 31.0f;
        DrawKnobLabel(c, fonts, k.cx, k.cy, k.label, t.ink, shadow, drop);
    }

    // Pedal-specific artwork.
    switch (imageIndex) {
        case 1:
            DrawBell(c, 60, 180, 212, 14, t.accent);
            break;
        case 3: {
            DrawKeyboard(c, 103, 20, 17, 42);
            DrawSweepText(c, fonts, 111, 113, 23.5f, 0, "-12", t.ink);
            DrawSweepText(c, fonts, 111, 113, 30, 0.5f, "0", t.ink);
            DrawSweepText(c, fonts, 111, 113, 23.5f, 1, "+12", t.ink);
            break;
        }
        case 5:
            DrawSparkles(c, t.seed, {20, 160, 220, 212}, t.accent);
            DrawSweepText(c, fonts, 111, 113, 23.5f, 0, "-5", t.ink);
            DrawSweepText(c, fonts, 111, 113, 30, 0.5f, "0", t.ink);
            DrawSweepText(c, fonts, 111, 113, 23.5f, 1, "+5", t.ink);
            break;
        case 6:
            DrawWave(c, 30, 210, 199, 3.0f, 3, t.accent, 1.4f, 0.7f, 0);
            break;
        case 7:
            DrawBoltBadge(c, 48, 64, 19, t);
            break;
        case 8:
            DrawScope(c, 96, 16, 226, 70);
            break;
        case 31:
        case 32:
            // The Load button and the file's name sit on this dark strip.
            c.PaintSolid(
                RectBox(14, 90, 226, 146),
                [](float x, float y) { return RoundRectSdf(x, y, 15, 91, 225, 145, 5); },
                Hex(0x141210), 1.0f, 0.8f);
            break;
        default:
            break;
    }

    float titleY = 188;
    if (imageIndex == 2) {
        // The title repeats as its own fading echo, up and to the right.
        for (int e = 2; e >= 1; --e) {
            TextStyle echo{look.titleFace, look.titleSize - 2.0f * static_cast<float>(e),
                           t.accent,       0.16f * static_cast<float>(3 - e),
                           look.tracking,  Align::Centre};
            DrawText(c, fonts, echo, 120, titleY - 9.0f * static_cast<float>(e), look.title);
        }
    }
    DrawTitle(c, fonts, 120, titleY, 206, look.title, look.titleFace, look.titleSize, t.ink, shadow,
              look.tracking);
    TextStyle sub{Typeface::Sans, 7.5f, t.ink, 0.85f, 1.0f, Align::Centre};
    DrawText(c, fonts, sub, 120, imageIndex == 1 ? 170 : 211, look.subtitle);
    DrawScrew(c, 228, 12, 3.2f, 0.5f);
    DrawScrew(c, 12, 212, 3.2f, 1.0f);
    DrawScrew(c, 228, 212, 3.2f, 0.2f);
    DrawTreadle(c, fonts, t);
    return c;
}

}  // namespace ampliro::art
