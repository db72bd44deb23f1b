#include "resources/generator/sprites.h"

#include <cmath>
#include <numbers>

namespace ampliro::art {

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

// Draws a cell twice, over the matte it will usually sit on and over a
// contrasting one; where both results agree the cell is opaque. Pixels less
// than half covered become the key colour, the rest keep their edge blended
// with the matte, so the sheet shows no magenta fringe once keyed.
template <class Draw>
Canvas KeyedCell(int w, int h, Rgb matte, Draw draw) {
    Rgb other{1 - matte.r, 1 - matte.g * 0.5f, 1 - matte.b};
    Canvas a(w, h, matte), b(w, h, other);
    draw(a);
    draw(b);
    float span =
        std::fabs(matte.r - other.r) + std::fabs(matte.g - other.g) + std::fabs(matte.b - other.b);
    Canvas out(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const Rgb& p = a.At(x, y);
            const Rgb& q = b.At(x, y);
            float diff = std::fabs(p.r - q.r) + std::fabs(p.g - q.g) + std::fabs(p.b - q.b);
            float cover = 1 - diff / span;
            out.At(x, y) = cover >= 0.5f ? p : kKeyMagenta;
        }
    }
    return out;
}

// A raised (or pressed) square button face for the arrow cells.
void ArrowFace(Canvas& c, bool pressed) {
    int w = c.Width(), h = c.Height();
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            float t = static_cast<float>(y) / static_cast<float>(h);
            float v = pressed ? 0.62f + 0.08f * t : 0.86f - 0.16f * t;
            Rgb col{v, v, v * 1.03f};
            bool outer = x == 0 || y == 0 || x == w - 1 || y == h - 1;
            bool light = (x == 1 || y == 1) && x < w - 1 && y < h - 1;
            bool dark = (x == w - 2 || y == h - 2) && x > 0 && y > 0;
            if (outer)
                col = Hex(0x202428);
            else if (light)
                col = pressed ? Hex(0x5A5E62) : Hex(0xFFFFFF);
            else if (dark)
                col = pressed ? Hex(0xB8BCC0) : Hex(0x8A8E92);
            c.At(x, y) = col;
        }
    }
}

void Triangle(Canvas& c, float cx, float cy, float size, float angle, Rgb colour) {
    // Points up for angle 0, turning clockwise.
    float pts[6];
    const float local[6] = {0, -size, size * 0.95f, size * 0.62f, -size * 0.95f, size * 0.62f};
    for (int i = 0; i < 3; ++i) {
        float lx = local[2 * i], ly = local[2 * i + 1];
        pts[2 * i] = cx + lx * std::cos(angle) - ly * std::sin(angle);
        pts[2 * i + 1] = cy + lx * std::sin(angle) + ly * std::cos(angle);
    }
    c.PaintSolid(
        {0, 0, c.Width(), c.Height()}, [&](float x, float y) { return ConvexSdf(x, y, pts, 3); },
        colour);
}

Canvas ArrowSheet(const std::vector<float>& angles) {
    int columns = static_cast<int>(angles.size());
    Canvas sheet(15 * columns, 30);
    for (int col = 0; col < columns; ++col) {
        for (int row = 0; row < 2; ++row) {
            bool pressed = row == 0;
            Canvas cell(15, 15);
            ArrowFace(cell, pressed);
            float shift = pressed ? 1.0f : 0.0f;
            Triangle(cell, 7.5f + shift, 7.8f + shift, 3.6f, angles[static_cast<size_t>(col)],
                     Hex(0x15181C));
            sheet.Draw(cell, col * 15, row * 15);
        }
    }
    return sheet;
}

// A fader cap seen from above: a dark moulded cap with ridges and a white
// index line across its middle, along the long axis when vertical is false.
void FaderCap(Canvas& c, bool vertical) {
    float w = static_cast<float>(c.Width()), h = static_cast<float>(c.Height());
    c.Paint(
        {0, 0, c.Width(), c.Height()},
        [&](float x, float y) { return RoundRectSdf(x, y, 0, 0, w, h, 2.2f); },
        [&](float x, float y) {
            float along = vertical ? y / h : x / w;
            float across = vertical ? x / w : y / h;
            float v = 0.34f - 0.22f * across + 0.05f * std::cos(along * kPi * 6);
            float edge = -RoundRectSdf(x, y, 0, 0, w, h, 2.2f);
            if (edge < 1.2f) v += (x + y < (w + h) * 0.5f) ? 0.25f : -0.1f;
            return Rgb{v, v, v * 1.04f};
        });
    if (vertical) {
        float cx = w * 0.5f;
        c.PaintSolid(
            {0, 0, c.Width(), c.Height()},
            [&](float x, float y) { return SegmentSdf(x, y, cx, 2, cx, h - 2, 0.55f); },
            Rgb{0.97f, 0.97f, 0.97f});
    } else {
        float cy = h * 0.5f;
        c.PaintSolid(
            {0, 0, c.Width(), c.Height()},
            [&](float x, float y) { return SegmentSdf(x, y, 2, cy, w - 2, cy, 0.55f); },
            Rgb{0.97f, 0.97f, 0.97f});
    }
}

void Folder(Canvas& c, float ox, float oy) {
    Rgb back = Hex(0xD99A1E), front = Hex(0xF6C445);
    c.PaintSolid(
        {0, 0, c.Width(), c.Height()},
        [&](float x, float y) {
            float tab = RoundRectSdf(x, y, ox + 1, oy + 2, ox + 7, oy + 6, 1.2f);
            float body = RoundRectSdf(x, y, ox + 1, oy + 4, ox + 15, oy + 14, 1.2f);
            return std::min(tab, body);
        },
        Darken(back, 0.1f));
    c.Paint(
        {0, 0, c.Width(), c.Height()},
        [&](float x, float y) {
            return RoundRectSdf(x, y, ox + 1.5f, oy + 6.5f, ox + 15.5f, oy + 14.5f, 1.2f);
        },
        [&](float, float y) { return Mix(Lighten(front, 0.3f), front, (y - oy - 6) / 8); });
}

void Page(Canvas& c, float ox, float oy, float w, float h, float fold) {
    Rgb paper = Hex(0xFAFAF6), edge = Hex(0x6A7078);
    float pts[10] = {ox, oy, ox + w - fold, oy, ox + w, oy + fold, ox + w, oy + h, ox, oy + h};
    c.PaintSolid(
        {0, 0, c.Width(), c.Height()},
        [&](float x, float y) { return ConvexSdf(x, y, pts, 5) - 0.5f; }, edge);
    c.PaintSolid(
        {0, 0, c.Width(), c.Height()},
        [&](float x, float y) { return ConvexSdf(x, y, pts, 5) + 0.5f; }, paper);
    float corner[6] = {ox + w - fold, oy, ox + w, oy + fold, ox + w - fold, oy + fold};
    c.PaintSolid(
        {0, 0, c.Width(), c.Height()}, [&](float x, float y) { return ConvexSdf(x, y, corner, 3); },
        Hex(0xC8CCD2));
}

void WaveMark(Canvas& c, float x0, float x1, float cy, float amp, Rgb colour, float width) {
    int steps = static_cast<int>((x1 - x0) * 3);
    for (int i = 0; i < steps; ++i) {
        float t0 = static_cast<float>(i) / static_cast<float>(steps);
        float t1 = static_cast<float>(i + 1) / static_cast<float>(steps);
        float ax = x0 + (x1 - x0) * t0, bx = x0 + (x1 - x0) * t1;
        float ay = cy - amp * std::sin(t0 * 2 * kPi * 1.5f),
              by = cy - amp * std::sin(t1 * 2 * kPi * 1.5f);
        c.PaintSolid(
            {0, 0, c.Width(), c.Height()},
            [&](float x, float y) { return SegmentSdf(x, y, ax, ay, bx, by, width); }, colour);
    }
}

// Recorder button pictures, drawn centred in a 16 x 16 cell.
void RecorderGlyph(Canvas& c, int column, bool lit) {
    auto pick = [&](uint32_t dim, uint32_t bright) { return lit ? Hex(bright) : Hex(dim); };
    Box all{0, 0, 16, 16};
    switch (column) {
        case 0: {  // Play
            float pts[6] = {4.5f, 2.5f, 13.5f, 8, 4.5f, 13.5f};
            c.PaintSolid(
                all, [&](float x, float y) { return ConvexSdf(x, y, pts, 3); },
                pick(0x3FB54A, 0x8CFF7A));
            break;
        }
        case 1:  // Stop
            c.PaintSolid(
                all,
                [](float x, float y) { return RoundRectSdf(x, y, 3.5f, 3.5f, 12.5f, 12.5f, 1); },
                pick(0xC8CCD0, 0xFFFFFF));
            break;
        case 2:  // Pause
            c.PaintSolid(
                all,
                [](float x, float y) {
                    return std::min(RoundRectSdf(x, y, 3.5f, 3, 6.8f, 13, 0.8f),
                                    RoundRectSdf(x, y, 9.2f, 3, 12.5f, 13, 0.8f));
                },
                pick(0xE0A424, 0xFFD84A));
            break;
        case 3: {  // Record
            Rgb red = pick(0xC42222, 0xFF4A3A);
            c.Paint(
                all, [](float x, float y) { return CircleSdf(x, y, 8, 8, 5.2f); },
                [&](float x, float y) {
                    float d = std::hypot(x - 6.6f, y - 6.4f) / 6.0f;
                    return Mix(Lighten(red, 0.45f), red, Clamp01(d));
                });
            break;
        }
        case 4: {  // Repeat: a ring with an arrow head
            Rgb blue = pick(0x5A9AE0, 0xA8DCFF);
            c.PaintSolid(
                all,
                [](float x, float y) {
                    float ring = std::fabs(CircleSdf(x, y, 8, 8, 4.6f)) - 1.1f;
                    // Leave a gap at the upper right for the arrow head.
                    float gap = -SegmentSdf(x, y, 8, 8, 14, 2, 1.6f);
                    return std::max(ring, gap);
                },
                blue);
            float head[6] = {9.5f, 0.8f, 14.5f, 3.8f, 9.8f, 6.2f};
            c.PaintSolid(
                all, [&](float x, float y) { return ConvexSdf(x, y, head, 3); }, blue);
            break;
        }
        case 5:    // Loop Start: an opening bracket and an arrow into it
        case 6: {  // Loop End: an arrow up to a closing bracket
            Rgb cyan = pick(0x40C8C8, 0x9AFFF4);
            bool start = column == 5;
            float bx = start ? 3.5f : 12.5f, lip = start ? 3.0f : -3.0f;
            c.PaintSolid(
                all,
                [&](float x, float y) {
                    float bar = SegmentSdf(x, y, bx, 2.5f, bx, 13.5f, 1.0f);
                    float top = SegmentSdf(x, y, bx, 2.5f, bx + lip, 2.5f, 1.0f);
                    float bottom = SegmentSdf(x, y, bx, 13.5f, bx + lip, 13.5f, 1.0f);
                    return std::min(bar, std::min(top, bottom));
                },
                cyan);
            float tri[6];
            if (start) {
                float t[6] = {7, 4.5f, 12.5f, 8, 7, 11.5f};
                std::copy(t, t + 6, tri);
            } else {
                float t[6] = {3.5f, 4.5f, 9, 8, 3.5f, 11.5f};
                std::copy(t, t + 6, tri);
            }
            c.PaintSolid(
                all, [&](float x, float y) { return ConvexSdf(x, y, tri, 3); }, cyan);
            break;
        }
        default:
            break;
    }
}

}  // namespace

Canvas LampSheet() {
    Canvas sheet(30, 30);
    const uint32_t colours[2] = {0x36E04A, 0xFF3A2A};  // power green, peak red
    for (int col = 0; col < 2; ++col) {
        for (int row = 0; row < 2; ++row) {
            bool lit = row == 0;
            Rgb led = Hex(colours[col]);
            Canvas cell = KeyedCell(15, 15, Hex(0x101010), [&](Canvas& c) {
                c.PaintSolid(
                    {0, 0, 15, 15},
                    [](float x, float y) { return CircleSdf(x, y, 7.5f, 7.5f, 6.6f); },
                    Hex(0x050505));
                c.Paint(
                    {0, 0, 15, 15},
                    [](float x, float y) { return CircleSdf(x, y, 7.5f, 7.5f, 5.4f); },
                    [&](float x, float y) {
                        float d = std::hypot(x - 7.5f, y - 7.5f) / 5.4f;
                        if (lit) return Mix(Lighten(led, 0.75f), led, SmoothStep(0.0f, 0.9f, d));
                        return Mix(Scale(led, 0.42f), Scale(led, 0.2f), d);
                    });
                // Specular glint of the lens.
                c.PaintSolid(
                    {0, 0, 15, 15},
                    [](float x, float y) { return CircleSdf(x, y, 5.7f, 5.4f, 1.5f); },
                    Rgb{1, 1, 1}, 1.5f, lit ? 0.8f : 0.45f);
            });
            sheet.Draw(cell, col * 15, row * 15);
        }
    }
    return sheet;
}

Canvas ScrollArrowSheet() {
    return ArrowSheet({0, kPi});
}
Canvas WideArrowSheet() {
    return ArrowSheet({-kPi / 2, kPi / 2, kPi});
}

Canvas LevelThumb() {
    return KeyedCell(25, 9, Hex(0x181818), [](Canvas& c) { FaderCap(c, false); });
}

Canvas BandThumb() {
    return KeyedCell(20, 9, Hex(0x181818), [](Canvas& c) { FaderCap(c, false); });
}

Canvas PositionThumb() {
    return KeyedCell(9, 17, Hex(0x303030), [](Canvas& c) { FaderCap(c, true); });
}

Canvas FileIcons() {
    Canvas sheet(32, 16);
    Rgb white{1, 1, 1};
    sheet.Draw(KeyedCell(16, 16, white, [](Canvas& c) { Folder(c, 0, 0); }), 0, 0);
    sheet.Draw(KeyedCell(16, 16, white,
                         [](Canvas& c) {
                             Page(c, 3, 1, 10, 14, 3.5f);
                             WaveMark(c, 4.5f, 11.5f, 9.5f, 2.2f, Hex(0xD0501A), 0.6f);
                         }),
               16, 0);
    // The list draws these pictures over its rows with 0xFF00FF as the
    // transparent colour: the same magenta the key uses.
    return sheet;
}

Canvas PresetIcon() {
    return KeyedCell(30, 30, Rgb{1, 1, 1}, [](Canvas& c) {
        Page(c, 5, 2, 20, 26, 6);
        WaveMark(c, 8, 22, 17, 4, Hex(0xD0501A), 0.9f);
    });
}

Canvas RecorderButtons() {
    Canvas sheet(112, 32);
    Rgb face = Hex(0x424142);  // the buttons' 0x4208 face
    for (int col = 0; col < 7; ++col) {
        for (int row = 0; row < 2; ++row) {
            bool lit = row == 0;
            sheet.Draw(KeyedCell(16, 16, face, [&](Canvas& c) { RecorderGlyph(c, col, lit); }),
                       col * 16, row * 16);
        }
    }
    return sheet;
}

Canvas PowerSwitch() {
    Canvas sheet(30, 100);
    for (int row = 0; row < 2; ++row) {
        bool on = row == 0;
        Canvas c(30, 50, Hex(0x141416));
        // Plate with a bevelled edge.
        c.Paint(
            {0, 0, 30, 50}, [](float, float) { return -1.0f; },
            [](float x, float y) {
                float v = 0.1f + 0.03f * std::cos(y * 0.9f) * 0.2f;
                if (x < 1.5f || y < 1.5f) v = 0.34f;
                if (x > 28.5f || y > 48.5f) v = 0.03f;
                return Rgb{v, v, v * 1.05f};
            });
        // Hex nut in the middle.
        float nut[12];
        for (int i = 0; i < 6; ++i) {
            float a = kPi / 6 + static_cast<float>(i) * kPi / 3;
            nut[2 * i] = 15 + 7.5f * std::cos(a);
            nut[2 * i + 1] = 25 + 7.5f * std::sin(a);
        }
        c.Paint(
            {0, 0, 30, 50}, [&](float x, float y) { return ConvexSdf(x, y, nut, 6); },
            [](float x, float y) {
                float v = 0.62f - 0.012f * (x - 15) * 1.5f - 0.02f * (y - 25);
                return Rgb{v, v, v * 1.02f};
            });
        c.PaintSolid(
            {0, 0, 30, 50}, [](float x, float y) { return CircleSdf(x, y, 15, 25, 3.6f); },
            Hex(0x2A2A2C));
        // Bat lever, thrown up (on) or down (off), its tip a rounded ball.
        float tipY = on ? 6.5f : 43.5f;
        c.Paint(
            {0, 0, 30, 50},
            [&](float x, float y) {
                float stem = SegmentSdf(x, y, 15, 25, 15, tipY,
                                        on ? 2.2f + (25 - y) * 0.05f : 2.2f + (y - 25) * 0.05f);
                return std::min(stem, CircleSdf(x, y, 15, tipY, 3.6f));
            },
            [](float x, float) {
                float v = 0.55f + 0.4f * std::cos((x - 13.5f) * 0.6f);
                return Rgb{v, v, v * 1.03f};
            });
        // Lit indicator when on.
        Rgb lamp = on ? Hex(0xFF3A2A) : Hex(0x401010);
        float ly = on ? 44.5f : 5.5f;
        c.PaintSolid(
            {0, 0, 30, 50}, [&](float x, float y) { return CircleSdf(x, y, 15, ly, 2.4f); }, lamp);
        if (on) {
            c.PaintSolid(
                {0, 0, 30, 50}, [&](float x, float y) { return CircleSdf(x, y, 15, ly, 5.0f); },
                lamp, 4.0f, 0.35f);
        }
        sheet.Draw(c, 0, row * 50);
    }
    return sheet;
}

Canvas ProgramIcon() {
    Canvas c(32, 32, Hex(0x1B1D21));
    Box all{0, 0, 32, 32};
    c.PaintSolid(
        all, [](float x, float y) { return RoundRectSdf(x - 0.6f, y - 1, 5, 2, 27, 30, 3); },
        Rgb{0, 0, 0}, 1.5f, 0.7f);
    c.Paint(
        all, [](float x, float y) { return RoundRectSdf(x, y, 5, 2, 27, 30, 3); },
        [](float x, float y) {
            Rgb body = Hex(0xE0641A);
            return Scale(body, 1.12f - 0.02f * x * 0.3f - 0.01f * y);
        });
    for (float kx : {11.0f, 21.0f}) {
        c.PaintSolid(
            all, [&](float x, float y) { return CircleSdf(x, y, kx, 9, 3.6f); }, Hex(0x111111));
        c.PaintSolid(
            all, [&](float x, float y) { return CircleSdf(x, y, kx, 9, 2.2f); }, Hex(0xC8C8C8));
    }
    c.PaintSolid(
        all, [](float x, float y) { return CircleSdf(x, y, 16, 4.5f, 1.2f); }, Hex(0xFF3A2A));
    c.Paint(
        all, [](float x, float y) { return RoundRectSdf(x, y, 8, 17, 24, 27, 2); },
        [](float, float y) {
            float v = std::fmod(y, 2.0f) < 1 ? 0.16f : 0.07f;
            return Rgb{v, v, v};
        });
    return c;
}

std::vector<std::array<uint8_t, 3>> ThumbPalette() {
    std::vector<std::array<uint8_t, 3>> palette;
    palette.push_back({255, 0, 255});
    for (int i = 1; i < 256; ++i) {
        auto v = static_cast<uint8_t>((i - 1) * 255 / 254);
        palette.push_back({v, v, v});
    }
    return palette;
}

std::vector<uint8_t> PaletteIndices(const Canvas& canvas) {
    std::vector<uint8_t> out;
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            const Rgb& p = canvas.At(x, y);
            if (p.r > 0.99f && p.g < 0.01f && p.b > 0.99f) {
                out.push_back(0);
                continue;
            }
            float grey = Clamp01(0.3f * p.r + 0.59f * p.g + 0.11f * p.b);
            out.push_back(static_cast<uint8_t>(1 + std::lround(grey * 254.0f)));
        }
    }
    return out;
}

}  // namespace ampliro::art
