#include "resources/generator/knobs.h"

#include <numbers>

namespace ampliro::art {

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
// Light falls from the upper left, as on every picture of the program.
constexpr float kLightAngle = -kPi / 4;

struct Geometry {
    float centre;  // the frame's centre on both axes
    float radius;  // outline of the knob body
    float shadowDx, shadowDy, shadowRadius, shadowSoft, shadowAlpha;
};

Geometry GeometryFor(int size) {
    float s = static_cast<float>(size);
    return {s * 0.5f, s * 0.436f, s * 0.013f, s * 0.026f, s * 0.436f, s * 0.064f, 0.55f};
}

// Coverage of the body and of the body-plus-shadow at a pixel centre.
void Coverage(const Geometry& g, float x, float y, float* body, float* total) {
    *body = Clamp01(0.5f - CircleSdf(x, y, g.centre, g.centre, g.radius));
    float shadow = g.shadowAlpha * Clamp01(0.5f - CircleSdf(x, y, g.centre + g.shadowDx,
                                                            g.centre + g.shadowDy, g.shadowRadius) /
                                                      g.shadowSoft);
    *total = *body + (1 - *body) * shadow;
}

float Line(float x, float y, float cx, float cy, float angle, float r0, float r1, float half) {
    float sx = std::sin(angle), sy = -std::cos(angle);
    return Clamp01(0.5f -
                   SegmentSdf(x, y, cx + sx * r0, cy + sy * r0, cx + sx * r1, cy + sy * r1, half));
}

// A knurled skirt: ridges that turn with the knob, lit from the upper left.
Rgb Skirt(float phi, float r, float inner, float outer, float angle, int teeth, float base) {
    float facing = std::cos(phi - kLightAngle);
    float ridge = std::cos(static_cast<float>(teeth) * (phi - angle));
    float v = base + 0.06f * facing + 0.045f * ridge;
    // Chamfer on the outer edge catches the light on the lit side.
    float chamfer =
        SmoothStep(outer - 1.6f, outer - 0.6f, r) * (1 - SmoothStep(outer - 0.4f, outer, r));
    v += chamfer * (0.22f * std::max(facing, 0.0f) - 0.04f);
    // Inner step into the cap sits in shadow.
    v -= 0.05f * (1 - SmoothStep(inner, inner + 1.2f, r));
    return {v, v, v * 1.03f};
}

// Concentrically brushed metal: a bright wedge towards the light and its
// mirror image, with fine radial grain.
float Brushed(float phi, float r, float base, uint32_t seed) {
    float wedge = std::cos(2 * (phi - kLightAngle));
    float grain = Hash(static_cast<int>(r * 4.0f), 7, seed) - 0.5f;
    return base + 0.17f * wedge + 0.05f * grain;
}

// Bevel around a flat cap edge: light on the upper left, dark lower right.
float CapBevel(float phi, float r, float capRadius) {
    float edge = SmoothStep(capRadius - 1.8f, capRadius - 0.6f, r);
    return edge * 0.25f * std::cos(phi - kLightAngle);
}

Rgb Dome(float dx, float dy, float radius, Rgb colour) {
    float nx = dx / radius, ny = dy / radius;
    float z = std::sqrt(std::max(0.0f, 1 - nx * nx - ny * ny));
    const float lx = -0.48f, ly = -0.58f, lz = 0.66f;
    float diffuse = std::max(0.0f, nx * lx + ny * ly + z * lz);
    // Blinn highlight with the viewer straight above.
    float hx = lx, hy = ly, hz = lz + 1;
    float hl = std::hypot(hx, std::hypot(hy, hz));
    float spec = std::pow(std::max(0.0f, (nx * hx + ny * hy + z * hz) / hl), 28.0f);
    Rgb lit = Scale(colour, 0.45f + 0.62f * diffuse);
    return Mix(lit, Rgb{1, 1, 1}, 0.5f * spec);
}

Rgb FacePixel(KnobStyle style, const Geometry& g, float x, float y, float angle) {
    float dx = x - g.centre, dy = y - g.centre;
    float r = std::hypot(dx, dy);
    float phi = std::atan2(dx, -dy);
    float R = g.radius;
    switch (style) {
        case KnobStyle::BlackSilverCap:
        case KnobStyle::GoldCap: {
            bool gold = style == KnobStyle::GoldCap;
            float cap = R * 0.69f;
            Rgb c;
            if (r > cap) {
                c = Skirt(phi, r, cap, R, angle, 26, 0.1f);
            } else {
                float v =
                    Brushed(phi, r, gold ? 0.62f : 0.66f, gold ? 31 : 17) + CapBevel(phi, r, cap);
                c = gold ? Rgb{v * 1.12f, v * 0.9f, v * 0.5f} : Rgb{v, v, v * 1.04f};
            }
            c = Mix(c, Rgb{0.02f, 0.02f, 0.02f},
                    Line(x, y, g.centre, g.centre, angle, 2.5f, cap - 1, 0.9f));
            return Mix(c, Rgb{0.97f, 0.97f, 0.94f},
                       Line(x, y, g.centre, g.centre, angle, cap + 1.2f, R - 1.2f, 1.05f));
        }
        case KnobStyle::Aluminium: {
            float top = R * 0.84f;
            Rgb c;
            if (r > top) {
                c = Skirt(phi, r, top, R, angle, 40, 0.5f);
            } else {
                float v = Brushed(phi, r, 0.72f, 23) + CapBevel(phi, r, top);
                c = {v, v, v * 1.03f};
            }
            float groove = Line(x, y, g.centre, g.centre, angle, 2.0f, top - 0.5f, 1.0f);
            float lip = Line(x + 0.7f, y + 0.7f, g.centre, g.centre, angle, 2.0f, top - 0.5f, 1.0f);
            c = Mix(c, Lighten(c, 0.5f), lip * (1 - groove));
            return Mix(c, Rgb{0.05f, 0.05f, 0.06f}, groove);
        }
        case KnobStyle::CreamDome: {
            float dome = R * 0.8f;
            Rgb c;
            if (r > dome) {
                c = Skirt(phi, r, dome, R, angle, 22, 0.08f);
            } else {
                Rgb ivory = Hex(0xEDE2C6);
                float line = Line(x, y, g.centre, g.centre, angle, 3.0f, dome - 1.0f, 1.1f);
                c = Dome(dx, dy, dome, Mix(ivory, Hex(0xC8261C), line));
                // A thin shadow line where the dome meets the skirt.
                c = Darken(c, 0.5f * SmoothStep(dome - 1.2f, dome, r));
            }
            return c;
        }
        case KnobStyle::LargeSilver: {
            float top = R * 0.85f;
            Rgb c;
            if (r > top) {
                c = Skirt(phi, r, top, R, angle, 44, 0.46f);
            } else {
                float v = Brushed(phi, r, 0.7f, 41) + CapBevel(phi, r, top);
                c = {v, v, v * 1.03f};
                // Finger dimple: a concave disc, its upper-left wall in shadow
                // and its lower-right wall lit, with a dark rim.
                float dr = top * 0.6f;
                float ddx = dx - std::sin(angle) * dr, ddy = dy + std::cos(angle) * dr;
                float dimple = R * 0.22f;
                float dd = std::hypot(ddx, ddy);
                float inside = Clamp01(dimple + 0.5f - dd);
                if (inside > 0) {
                    float slope = dd / dimple;
                    float facing = dd > 0 ? (ddx * 0.7071f + ddy * 0.7071f) / dd : 0.0f;
                    float v2 = 0.55f + 0.3f * facing * slope;
                    Rgb hollow{v2, v2, v2 * 1.03f};
                    c = Mix(c, hollow, inside);
                    c = Darken(c, 0.35f * SmoothStep(0.75f, 1.0f, slope) * inside);
                }
            }
            return c;
        }
    }
    return {};
}

}  // namespace

Canvas KnobStrip(KnobStyle style) {
    bool large = style == KnobStyle::LargeSilver;
    int size = large ? kLargeKnobSize : kKnobSize;
    Geometry g = GeometryFor(size);
    Canvas strip(size, size * kKnobFrames);
    for (int f = 0; f < kKnobFrames; ++f) {
        float t = static_cast<float>(f);
        float angle = large ? -0.75f * kPi + 2 * kPi * t / kKnobFrames
                            : -0.75f * kPi + 1.5f * kPi * t / (kKnobFrames - 1);
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                float px = static_cast<float>(x) + 0.5f, py = static_cast<float>(y) + 0.5f;
                float body, total;
                Coverage(g, px, py, &body, &total);
                Rgb c = body > 0 ? FacePixel(style, g, px, py, angle) : Rgb{};
                // Where the shadow shows, the face is black: the mask weighs
                // body and shadow together, so scale the body's share.
                strip.At(x, f * size + y) = total > 0 ? Scale(c, body / total) : Rgb{};
            }
        }
    }
    return strip;
}

Canvas KnobMask(int size) {
    Geometry g = GeometryFor(size);
    Canvas frame(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float body, total;
            Coverage(g, static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f, &body, &total);
            // Below a weight of one step the pixel must stay exactly 0 so the
            // background shows untouched.
            float v = total < 1.0f / 32.0f ? 0.0f : total;
            frame.At(x, y) = {v, v, v};
        }
    }
    Canvas strip(size, size * kKnobFrames);
    for (int f = 0; f < kKnobFrames; ++f) strip.Draw(frame, 0, f * size);
    return strip;
}

}  // namespace ampliro::art
