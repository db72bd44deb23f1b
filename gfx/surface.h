// Drawing on the 16-bit RGB565 surface: the software blitter, shapes and
// screen copies.
#pragma once

#include <cstdint>

#include "platform/resources/surface_memory.h"

namespace ampliro {

class Display;

// Blit modes.
enum BlitMode : int {
    kBlitCopy = 0,
    kBlitBlend = 1,
    kBlitKey = 2,
    kBlitKeyBlend = 3,
    kBlitTint = 8
};

// 24-bit colour to RGB565, truncating each channel.
constexpr uint16_t Rgb565(uint32_t r, uint32_t g, uint32_t b) {
    return static_cast<uint16_t>(((r & 0xF8) << 8) | ((g & 0xFC) << 3) | ((b & 0xFF) >> 3));
}

// RGB565 back to 8-bit channels with the low bits zero.
struct Rgb888 {
    uint8_t r, g, b;
};
constexpr Rgb888 Unpack565(uint16_t c) {
    return {static_cast<uint8_t>((c >> 8) & 0xF8), static_cast<uint8_t>((c >> 3) & 0xFC),
            static_cast<uint8_t>((c & 0x1F) << 3)};
}

// BlendTable[i][j] = ceil(i * j / 31); filled once by BuildBlendTable.
extern uint8_t BlendTable[32][32];
void BuildBlendTable();

// Alpha is the weight 0..32 of the existing pixel: 0 paints the new colour,
// 32 leaves the pixel as it was.
void Clear(Surface* s, uint16_t colour);
void FillRect(Surface* s, int32_t left, int32_t top, int32_t right, int32_t bottom, uint16_t colour,
              int32_t alpha);
void GradientFill(Surface* s, int32_t x, int32_t y, int32_t width, int32_t height, uint16_t colourA,
                  uint16_t colourB, int vertical);
void HLine(Surface* s, int32_t x, int32_t y, int32_t length, uint16_t colour);
void VLine(Surface* s, int32_t x, int32_t y, int32_t length, uint16_t colour);
void FrameRect(Surface* s, int32_t left, int32_t top, int32_t right, int32_t bottom,
               uint16_t colour);
void Line(Surface* s, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint16_t colour);
void Polyline(Surface* s, const int32_t* points, int32_t count, uint16_t colour);
void Blit(Surface* s, int32_t x, int32_t y, int32_t width, int32_t height, const Surface* source,
          int32_t sourceX, int32_t sourceY, int32_t alpha, uint16_t key, int mode);
void StretchBlit(Surface* s, const Surface* source, int32_t x, int32_t y, int32_t width,
                 int32_t height, int32_t alpha, uint16_t key, int mode);
void MaskBlit(Surface* s, int32_t x, int32_t y, int32_t width, int32_t height,
              const Surface* source, int32_t sourceX, int32_t sourceY, int32_t maskX, int32_t maskY,
              const Surface* mask);

void CopySurface(Surface* target, const Surface* source);
Surface* ScaledCopy(const Surface* source, int32_t width, int32_t height);
Surface* CropCopy(const Surface* source, int32_t x, int32_t y, int32_t width, int32_t height);
Surface* GrabScreen(Display* display, int32_t width, int32_t height);
int ShowSurface(Display* display, const Surface* surface);
void CrossFade(Display* display, const Surface* image, uint32_t durationMs);

}  // namespace ampliro
