// Bitmap fonts with in-line "#RRGGBB" colour codes and "\r" line breaks.
#pragma once

#include <cstdint>

namespace ampliro {

class Surface;
class ResourceModule;

struct BitmapFont {
    BitmapFont() = default;
    BitmapFont(const BitmapFont&) = delete;
    BitmapFont& operator=(const BitmapFont&) = delete;
    ~BitmapFont();

    uint8_t glyphCount = 0;
    uint8_t height = 0;
    uint8_t stripRow = 0;
    uint16_t offsets[256] = {};
    uint16_t widths[256] = {};
    uint16_t lastColour = 0;
    uint16_t keyColour = 0;
    Surface* strip = nullptr;
};

// module null means the program's own resources.
int LoadFont(BitmapFont* font, const ResourceModule* module, int number);
int TextWidth(const BitmapFont* font, const char* text);
int FitText(const BitmapFont* font, const char* text, int width);
int FitTextEllipsis(const BitmapFont* font, char* text, int width);
void DrawColourText(BitmapFont* font, Surface* surface, int x, int y, const char* text,
                    uint16_t colour, int alpha);
void DrawText(BitmapFont* font, Surface* surface, int x, int y, const char* text, int alpha);

// The built-in 8 x 16 code page 437 font.
void DrawSystemText(Surface* surface, int x, int y, const char* text, uint16_t colour);
int FitSystemText(const char* text, int width);

}  // namespace ampliro
