// Drawing text with bitmap fonts: tinted coverage-mask glyphs with colour
// codes, or colour-keyed glyphs when the strip has a key colour.
#include <cstring>

#include "gfx/font.h"
#include "gfx/surface.h"
#include "gfx/text_codes.h"

namespace ampliro {

namespace {

// Pen positions shared by both paths: x < 0 centres each line on its own
// width, y < 0 centres the first line vertically.
class Pen {
  public:
    Pen(const BitmapFont* font, const Surface* surface, int x, int y)
        : font_(font),
          surface_(surface),
          x_(x),
          penY_(y < 0 ? (surface->height - font->height) >> 1 : y) {}

    void StartLineIfNeeded(const char* rest) {
        if (!newLine_) return;
        penX_ = x_ < 0 ? (surface_->width - TextWidth(font_, rest)) >> 1 : x_;
        newLine_ = false;
    }
    void BreakLine() {
        penY_ += font_->height;
        newLine_ = true;
    }
    void Advance(uint8_t code) { penX_ += font_->widths[code]; }
    int X() const { return penX_; }
    int Y() const { return penY_; }

  private:
    const BitmapFont* font_;
    const Surface* surface_;
    int x_;
    int penX_ = 0;
    int penY_;
    bool newLine_ = true;
};

void DrawGlyph(const BitmapFont* font, Surface* surface, const Pen& pen, uint8_t code, int alpha,
               uint16_t key, int mode) {
    Blit(surface, pen.X(), pen.Y(), font->widths[code], font->height, font->strip,
         font->offsets[code], font->stripRow, alpha, key, mode);
}

}  // namespace

void DrawColourText(BitmapFont* font, Surface* surface, int x, int y, const char* text,
                    uint16_t colour, int alpha) {
    if (!font || !surface || !text) return;
    if (font->keyColour != 0) {
        DrawText(font, surface, x, y, text, alpha);
        return;
    }
    Pen pen(font, surface, x, y);
    uint16_t current = colour;
    const size_t length = std::strlen(text);
    for (size_t i = 0; i < length;) {
        pen.StartLineIfNeeded(text + i);
        const uint8_t c = Code(text[i]);
        if (c == kLineBreak) {
            pen.BreakLine();
        } else if (c == kColourCode) {
            const size_t next = SkipColourCode(text, i);
            // A code cut short by the end of the text changes nothing.
            if (next - i == kColourCodeLength) current = ParseColourCode(text + i);
            i = next;
            continue;
        } else if (c == ' ' || c == '\n') {
            pen.Advance(c);
        } else {
            DrawGlyph(font, surface, pen, c, alpha, current, kBlitTint);
            pen.Advance(c);
        }
        ++i;
    }
    font->lastColour = current;
}

void DrawText(BitmapFont* font, Surface* surface, int x, int y, const char* text, int alpha) {
    if (!font || !surface || !text) return;
    Pen pen(font, surface, x, y);
    const int mode = alpha == 0 ? kBlitKey : kBlitKeyBlend;
    const size_t length = std::strlen(text);
    for (size_t i = 0; i < length; ++i) {
        pen.StartLineIfNeeded(text + i);
        const uint8_t c = Code(text[i]);
        if (c == kLineBreak) {
            pen.BreakLine();
        } else if (c == ' ' || c == '\n') {
            pen.Advance(c);
        } else {
            DrawGlyph(font, surface, pen, c, alpha, font->keyColour, mode);
            pen.Advance(c);
        }
    }
}

}  // namespace ampliro
