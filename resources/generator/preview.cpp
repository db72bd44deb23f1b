#include "resources/generator/preview.h"

#include <algorithm>

namespace ampliro::art {

namespace {

bool IsKey(const Rgb& p) {
    return p.r > 0.96f && p.g < 0.04f && p.b > 0.96f;
}

void DrawCell(Canvas& target, const Canvas& sheet, int columns, int rows, int column, int row,
              int x, int y) {
    int w = sheet.Width() / columns, h = sheet.Height() / rows;
    for (int sy = 0; sy < h; ++sy) {
        for (int sx = 0; sx < w; ++sx) {
            const Rgb& p = sheet.At(column * w + sx, row * h + sy);
            if (!IsKey(p)) target.Blend(x + sx, y + sy, p, 1);
        }
    }
}

// Caption placement bits of the widgets.
constexpr int kLeft = 0x01, kRight = 0x02, kAbove = 0x04, kBelow = 0x08, kInside = 0x10;

int CaptionWidth(const PreviewAssets& a, const std::string& text) {
    int w = 0;
    for (char ch : text) {
        size_t k = a.captionGlyphs.find(ch);
        if (k != std::string::npos) w += a.captionFont.widths[k];
    }
    return w;
}

// White text from the caption font strip with its top-left corner at (x, y).
void StripText(Canvas& c, const PreviewAssets& a, int x, int y, const std::string& text) {
    for (char ch : text) {
        size_t k = a.captionGlyphs.find(ch);
        if (k == std::string::npos) continue;
        int offset = 0;
        for (size_t i = 0; i < k; ++i) offset += a.captionFont.widths[i];
        for (int gy = 0; gy < a.captionFont.height; ++gy) {
            for (int gx = 0; gx < a.captionFont.widths[k]; ++gx) {
                float level =
                    a.captionFont
                        .levels[static_cast<size_t>(gy) * a.captionFont.width + offset + gx];
                if (level > 0) c.Blend(x + gx, y + gy, Rgb{1, 1, 1}, level / 224.0f);
            }
        }
        x += a.captionFont.widths[k];
    }
}

// A widget's caption where the widgets put it: centred on the bounds, or
// 5 pixels beside them, 2 pixels above or below.
void Caption(Canvas& c, const PreviewAssets& a, int x, int y, int w, int h, int placement,
             const std::string& text) {
    int tw = CaptionWidth(a, text), th = a.captionFont.height;
    int tx = x + ((w - tw) >> 1), ty = y + ((h - th) >> 1);
    bool inside = placement & kInside;
    if (placement & kLeft)
        tx = inside ? x + 5 : x - tw - 5;
    else if (placement & kRight)
        tx = inside ? x + w - tw - 5 : x + w + 5;
    else if (placement & kAbove)
        ty = inside ? y + 5 : y - th - 2;
    else if (placement & kBelow)
        ty = inside ? y + h - th - 5 : y + h + 2;
    StripText(c, a, tx, ty, text);
}

// A vertical slider as the panel draws it: a three-line track, ticks on
// both sides and the thumb picture at the given position.
void DrawSlider(Canvas& c, int x, int y, int w, int h, int ticks, const Canvas& thumb,
                float fraction) {
    int cx = x + w / 2;
    const Rgb lines[] = {Hex(0xC0C0C0), Hex(0x000000), Hex(0x808080)};
    for (int i = 0; i < 3; ++i) {
        for (int py = y; py < y + h; ++py) c.Blend(cx - 1 + i, py, lines[i], 1);
    }
    int span = h - thumb.Height();
    for (int i = 0; i < ticks; ++i) {
        int ty = y + thumb.Height() / 2 + i * span / (ticks - 1);
        for (int k = 0; k < 3; ++k) {
            c.Blend(x + k, ty, Rgb{1, 1, 1}, 1);
            c.Blend(x + w - 1 - k, ty, Rgb{1, 1, 1}, 1);
        }
    }
    int ty = y + static_cast<int>(fraction * static_cast<float>(span));
    DrawCell(c, thumb, 1, 1, 0, 0, cx - thumb.Width() / 2, ty);
}

}  // namespace

void DrawKnobFrame(Canvas& target, const Canvas& strip, const Canvas& mask, int frame, int x,
                   int y) {
    int size = strip.Width();
    for (int sy = 0; sy < size; ++sy) {
        for (int sx = 0; sx < size; ++sx) {
            float m = mask.At(sx, frame * size + sy).b;
            int a = static_cast<int>(std::lround(Clamp01(m) * 255.0f)) >> 3;
            if (std::lround(m * 255.0f) == 0) continue;
            target.Blend(x + sx, y + sy, strip.At(sx, frame * size + sy),
                         static_cast<float>(a + 1) / 32.0f);
        }
    }
}

Canvas ComposePedalPreview(const Canvas& picture, const PedalLayout& layout,
                           const PreviewAssets& assets, const FontLibrary&) {
    Canvas c = picture;
    int frame = 0;
    for (const KnobPlace& k : layout.knobs) {
        const Canvas& strip = assets.strips.at(k.strip);
        int w = strip.Width();
        DrawKnobFrame(c, strip, assets.mask, (frame * 17 + 20) % 63, static_cast<int>(k.cx) - w / 2,
                      static_cast<int>(k.cy) - w / 2);
        ++frame;
    }
    if (assets.lamps.Width() > 0) {
        DrawCell(c, assets.lamps, 2, 2, 0, 0, 20, 12);
        Caption(c, assets, 20, 12, 15, 15, kRight, "Power");
        if (layout.peakLamp) {
            int px = layout.graphicEq ? 90 : 20, py = layout.graphicEq ? 12 : 30;
            DrawCell(c, assets.lamps, 2, 2, 1, 1, px, py);
            Caption(c, assets, px, py, 15, 15, kRight, "Peak");
        }
    }
    if (layout.imageIndex == 5) {
        // The Filter's LP/HP selector: an outline button with a white caption.
        for (int x = 65; x <= 83; ++x) {
            c.Blend(x, 138, Hex(0xC0C0C0), 1);
            c.Blend(x, 152, Hex(0x808080), 1);
        }
        for (int y = 138; y <= 152; ++y) {
            c.Blend(65, y, Hex(0xC0C0C0), 1);
            c.Blend(84, y, Hex(0x808080), 1);
        }
        Caption(c, assets, 65, 138, 18, 14, kInside, "HP");
    }
    if (layout.levelSlider && assets.levelThumb.Width() > 0) {
        if (layout.graphicEq) {
            DrawSlider(c, 23, 30, 15, 100, 9, assets.bandThumb, 0.25f);
            Caption(c, assets, 23, 30, 15, 100, kBelow, "Level");
            for (int i = 0; i < 7; ++i) {
                DrawSlider(c, 63 + 21 * i, 30, 15, 100, 11, assets.bandThumb,
                           0.5f + 0.35f * std::sin(static_cast<float>(i)));
            }
        } else {
            DrawSlider(c, 28, 50, 15, 90, 9, assets.levelThumb, 0.25f);
            Caption(c, assets, 28, 50, 15, 90, kBelow, "Level");
        }
    }
    return c;
}

namespace {

void Outline(Canvas& c, int x, int y, int w, int h, Rgb colour) {
    for (int i = 0; i <= w; ++i) {
        c.Blend(x + i, y, colour, 1);
        c.Blend(x + i, y + h, colour, 1);
    }
    for (int i = 0; i <= h; ++i) {
        c.Blend(x, y + i, colour, 1);
        c.Blend(x + w, y + i, colour, 1);
    }
}

void TextButton(Canvas& c, const PreviewAssets& a, int x, int y, int w, int h,
                const std::string& text) {
    Outline(c, x, y, w, h, Hex(0xC0C0C0));
    Caption(c, a, x, y, w, h, kInside, text);
}

void WhiteList(Canvas& c, const FontLibrary& fonts, int x, int y, int w, int h, int rowHeight,
               int top, const std::vector<std::string>& rows) {
    for (int py = y; py <= y + h; ++py) {
        for (int px = x; px <= x + w; ++px) c.At(px, py) = Rgb{1, 1, 1};
    }
    Outline(c, x, y, w, h, Rgb{0, 0, 0});
    TextStyle style{Typeface::Sans, 11, Rgb{0, 0, 0}, 1, 0, Align::Left};
    for (size_t i = 0; i < rows.size(); ++i) {
        int ry = y + top + static_cast<int>(i) * rowHeight;
        if (ry + rowHeight > y + h) break;
        DrawText(c, fonts, style, static_cast<float>(x + 4), static_cast<float>(ry + rowHeight - 4),
                 rows[i]);
    }
}

void Knob(Canvas& c, const PreviewAssets& a, int strip, int x, int y, int frame) {
    const Canvas& s = a.strips.at(strip);
    DrawKnobFrame(c, s, strip == 122 ? a.largeMask : a.mask, frame, x, y);
}

}  // namespace

Canvas ComposeScreenPreview(const Canvas& background, int number, const PreviewAssets& a,
                            const FontLibrary& fonts) {
    Canvas c = background;
    bool square = c.Height() < 320;
    TextButton(c, a, 208, 10, 15, 14, "x");
    switch (number) {
        case 150:
        case 151: {
            DrawCell(c, a.powerSwitch, 1, 2, 0, 1, 20, 59);
            Caption(c, a, 20, 59, 30, 50, kBelow, "On/Off");
            DrawCell(c, a.lamps, 2, 2, 0, 1, 165, 131);
            Caption(c, a, 165, 131, 15, 15, kRight, "Power");
            Knob(c, a, 125, 90, 65, 20);
            Caption(c, a, 90, 65, 39, 44, kBelow, "Latency 46ms");
            Knob(c, a, 125, 160, 65, 45);
            Caption(c, a, 160, 65, 39, 44, kBelow, "Volume");
            WhiteList(c, fonts, 20, 130, 130, 17, 17, 0, {"44Khz High Quality"});
            int rows = square ? 4 : 9;
            WhiteList(c, fonts, 20, 155, 130, rows * 16 + 2, 16, 1,
                      {"Overdrive      ON", "Parametric EQ  OFF", "Pitch Shifter  OFF",
                       "Phase Shifter  OFF", "Chorus         OFF", "Digital Delay  ON",
                       "Digital Reverb ON", "Tremolo        OFF", "Graphic EQ     OFF"});
            const char* labels[] = {"Move Up", "Move Down", "Default", "Edit Effect", "On/Off"};
            for (int i = 0; i < (square ? 3 : 5); ++i) {
                TextButton(c, a, 160, square ? 155 + 23 * i : 155 + 30 * i, 65, square ? 22 : 25,
                           labels[i]);
            }
            break;
        }
        case 152:
        case 153: {
            int rows = square ? 7 : 12;
            WhiteList(
                c, fonts, 20, 55, 200, 20 + rows * 17 + 2, 17, 20,
                {"..", "Clean Funk.preset", "Crunch.preset", "Lead Delay.preset", "Wash.preset"});
            int by = square ? 205 : 285;
            TextButton(c, a, 20, by, 60, 20, "Load");
            TextButton(c, a, 90, by, 60, 20, "Save");
            TextButton(c, a, 160, by, 60, 20, "Delete");
            break;
        }
        case 154:
        case 155: {
            Knob(c, a, 122, 95, 75, 10);
            Caption(c, a, 95, 75, 49, 54, kBelow, "140 bpm");
            Knob(c, a, 131, 36, 125, 37);
            Caption(c, a, 36, 125, 39, 44, kBelow, "Accent");
            Knob(c, a, 131, 166, 125, 46);
            Caption(c, a, 166, 125, 39, 44, kBelow, "Volume");
            DrawCell(c, a.lamps, 2, 2, 0, 0, 30, 90);
            Caption(c, a, 30, 90, 15, 15, kRight, "Beat");
            DrawCell(c, a.lamps, 2, 2, 1, 1, 195, 90);
            Caption(c, a, 195, 90, 15, 15, kLeft, "Acc");
            TextButton(c, a, 95, 160, 50, 22, "Mute Mic");
            TextButton(c, a, 55, 190, 60, 22, "Start/Stop");
            TextButton(c, a, 125, 190, 60, 22, "440Hz");
            break;
        }
        default: {
            struct B {
                int x, y, w, column;
                const char* text;
            };
            const B buttons[] = {{20, 60, 46, 3, "Record"},    {70, 60, 46, 0, "Play"},
                                 {120, 60, 46, 1, "Stop"},     {170, 60, 46, 2, "Pause"},
                                 {20, 155, 46, 4, "Repeat"},   {70, 155, 71, 5, "Loop Start"},
                                 {145, 155, 71, 6, "Loop End"}};
            for (const B& b : buttons) {
                for (int py = b.y; py <= b.y + 42; ++py) {
                    for (int px = b.x; px <= b.x + b.w; ++px) c.At(px, py) = Hex(0x424142);
                }
                Outline(c, b.x, b.y, b.w, 42, Rgb{0, 0, 0});
                DrawCell(c, a.recorderButtons, 7, 2, b.column, b.column == 0 ? 0 : 1,
                         b.x + (b.w - 16) / 2, b.y + 3);
                Caption(c, a, b.x, b.y, b.w, 42, kInside | kBelow, b.text);
            }
            DrawCell(c, a.positionThumb, 1, 1, 0, 0, 80, 121);
            break;
        }
    }
    return c;
}

Canvas ContactSheet(const std::vector<SheetItem>& items, int width, const FontLibrary& fonts) {
    const int gap = 10, captionHeight = 14;
    struct Placed {
        int x, y;
    };
    std::vector<Placed> places;
    int x = gap, y = gap, rowHeight = 0;
    for (const SheetItem& item : items) {
        int w = item.picture->Width() * item.zoom,
            h = item.picture->Height() * item.zoom + captionHeight;
        if (x + w + gap > width && x > gap) {
            x = gap;
            y += rowHeight + gap;
            rowHeight = 0;
        }
        places.push_back({x, y});
        x += std::max(w, 40) + gap;
        rowHeight = std::max(rowHeight, h);
    }
    Canvas sheet(width, y + rowHeight + gap, Hex(0x2A2D31));
    TextStyle style{Typeface::Sans, 10, Hex(0xE0E0E0), 1, 0, Align::Left};
    for (size_t i = 0; i < items.size(); ++i) {
        const SheetItem& item = items[i];
        const Canvas& p = *item.picture;
        for (int py = 0; py < p.Height() * item.zoom; ++py) {
            for (int px = 0; px < p.Width() * item.zoom; ++px) {
                sheet.At(places[i].x + px, places[i].y + captionHeight + py) =
                    p.At(px / item.zoom, py / item.zoom);
            }
        }
        DrawText(sheet, fonts, style, static_cast<float>(places[i].x),
                 static_cast<float>(places[i].y + 10), item.caption);
    }
    return sheet;
}

}  // namespace ampliro::art
