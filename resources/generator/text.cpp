#include "resources/generator/text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>

namespace ampliro::art {

namespace {

const char* const kFaceFiles[] = {
    "DejaVuSans.ttf",          "DejaVuSans-Bold.ttf",
    "DejaVuSansCondensed.ttf", "DejaVuSansCondensed-Bold.ttf",
    "DejaVuSansMono.ttf",      "DejaVuSansMono-Bold.ttf",
    "DejaVuSerif-Bold.ttf",    "DejaVuSerif-BoldItalic.ttf",
};

}  // namespace

FontLibrary::FontLibrary(const std::string& folder) {
    if (FT_Init_FreeType(&library_) != 0) return;
    ok_ = true;
    for (const char* file : kFaceFiles) {
        FT_Face face = nullptr;
        std::string path = folder + "/" + file;
        if (FT_New_Face(library_, path.c_str(), 0, &face) != 0) {
            ok_ = false;
            face = nullptr;
        }
        faces_.push_back(face);
    }
}

FontLibrary::~FontLibrary() {
    for (FT_Face face : faces_) {
        if (face) FT_Done_Face(face);
    }
    if (library_) FT_Done_FreeType(library_);
}

FT_Face FontLibrary::Face(Typeface face, float size, float width) const {
    FT_Face f = faces_[static_cast<size_t>(face)];
    FT_Set_Char_Size(f, static_cast<FT_F26Dot6>(std::lround(width * 64.0f)),
                     static_cast<FT_F26Dot6>(std::lround(size * 64.0f)), 72, 72);
    return f;
}

GlyphImage FontLibrary::Render(Typeface face, float size, uint32_t code) const {
    return RenderScaled(face, size, size, code);
}

GlyphImage FontLibrary::RenderScaled(Typeface face, float size, float width, uint32_t code) const {
    GlyphImage out;
    FT_Face f = Face(face, size, width);
    if (FT_Load_Char(f, code, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) != 0) return out;
    const FT_Bitmap& bitmap = f->glyph->bitmap;
    out.width = static_cast<int>(bitmap.width);
    out.rows = static_cast<int>(bitmap.rows);
    out.left = f->glyph->bitmap_left;
    out.top = f->glyph->bitmap_top;
    out.advance = static_cast<float>(f->glyph->advance.x) / 64.0f;
    out.coverage.resize(static_cast<size_t>(out.width) * out.rows);
    for (int y = 0; y < out.rows; ++y) {
        for (int x = 0; x < out.width; ++x) {
            out.coverage[static_cast<size_t>(y) * out.width + x] =
                bitmap.buffer[y * bitmap.pitch + x];
        }
    }
    return out;
}

float FontLibrary::Ascender(Typeface face, float size) const {
    FT_Face f = Face(face, size, size);
    return static_cast<float>(f->size->metrics.ascender) / 64.0f;
}

float TextWidth(const FontLibrary& fonts, const TextStyle& style, const std::string& text) {
    float width = 0;
    for (unsigned char c : text)
        width += fonts.Render(style.face, style.size, c).advance + style.tracking;
    return text.empty() ? 0 : width - style.tracking;
}

void DrawText(Canvas& canvas, const FontLibrary& fonts, const TextStyle& style, float x, float y,
              const std::string& text) {
    float width = TextWidth(fonts, style, text);
    float pen = x;
    if (style.align == Align::Centre) pen = x - width * 0.5f;
    if (style.align == Align::Right) pen = x - width;
    pen = std::round(pen);
    int baseline = static_cast<int>(std::lround(y));
    for (unsigned char c : text) {
        GlyphImage g = fonts.Render(style.face, style.size, c);
        int ox = static_cast<int>(std::lround(pen)) + g.left, oy = baseline - g.top;
        for (int gy = 0; gy < g.rows; ++gy) {
            for (int gx = 0; gx < g.width; ++gx) {
                float a =
                    static_cast<float>(g.coverage[static_cast<size_t>(gy) * g.width + gx]) / 255.0f;
                if (a > 0) canvas.Blend(ox + gx, oy + gy, style.colour, a * style.alpha);
            }
        }
        pen += g.advance + style.tracking;
    }
}

void DrawPrintedText(Canvas& canvas, const FontLibrary& fonts, const TextStyle& style, float x,
                     float y, const std::string& text, Rgb shadow, float shadowAlpha) {
    TextStyle under = style;
    under.colour = shadow;
    under.alpha = style.alpha * shadowAlpha;
    DrawText(canvas, fonts, under, x + 1, y + 1, text);
    DrawText(canvas, fonts, style, x, y, text);
}

}  // namespace ampliro::art
