// Text from the DejaVu outline fonts, rendered with FreeType's anti-aliasing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "resources/generator/canvas.h"

typedef struct FT_LibraryRec_* FT_Library;
typedef struct FT_FaceRec_* FT_Face;

namespace ampliro::art {

// One rendered glyph: 8-bit coverage, placed relative to the pen position
// on the baseline.
struct GlyphImage {
    int width = 0, rows = 0;
    int left = 0, top = 0;  // bitmap offset: x from the pen, rows above the baseline
    float advance = 0;      // in pixels
    std::vector<uint8_t> coverage;
};

enum class Typeface {
    Sans,
    SansBold,
    Condensed,
    CondensedBold,
    Mono,
    MonoBold,
    SerifBold,
    SerifBoldItalic
};

class FontLibrary {
  public:
    explicit FontLibrary(const std::string& folder);
    ~FontLibrary();
    FontLibrary(const FontLibrary&) = delete;
    FontLibrary& operator=(const FontLibrary&) = delete;

    bool Ok() const { return ok_; }
    // size is the em size in pixels; light hinting keeps small sizes crisp.
    GlyphImage Render(Typeface face, float size, uint32_t code) const;
    // The same with a separate horizontal em size: width < size condenses.
    GlyphImage RenderScaled(Typeface face, float size, float width, uint32_t code) const;
    float Ascender(Typeface face, float size) const;

  private:
    FT_Face Face(Typeface face, float size, float width) const;

    FT_Library library_ = nullptr;
    std::vector<FT_Face> faces_;
    bool ok_ = false;
};

enum class Align { Left, Centre, Right };

struct TextStyle {
    Typeface face = Typeface::SansBold;
    float size = 10;
    Rgb colour{1, 1, 1};
    float alpha = 1;
    float tracking = 0;  // extra pixels between letters
    Align align = Align::Centre;
};

float TextWidth(const FontLibrary& fonts, const TextStyle& style, const std::string& text);
// y is the baseline.
void DrawText(Canvas& canvas, const FontLibrary& fonts, const TextStyle& style, float x, float y,
              const std::string& text);
// Text with a one-pixel dark shadow below and right, as printed lettering
// catches the light on a lacquered surface.
void DrawPrintedText(Canvas& canvas, const FontLibrary& fonts, const TextStyle& style, float x,
                     float y, const std::string& text, Rgb shadow, float shadowAlpha = 0.6f);

}  // namespace ampliro::art
