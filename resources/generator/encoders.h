// File encoders for the generated resources: BMP, JPEG, RIFF WAVE and PNG.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "resources/generator/canvas.h"

namespace ampliro::art {

using Bytes = std::vector<uint8_t>;

// 24-bit bottom-up BMP file (file header, 40-byte info header, BGR rows
// padded to four bytes).
Bytes EncodeBmp24(const Canvas& canvas);
// 8-bit palette BMP file: one palette index per pixel, top row first.
Bytes EncodeBmp8(int width, int height, const std::vector<uint8_t>& indices,
                 const std::vector<std::array<uint8_t, 3>>& palette);
// Baseline JFIF, 4:4:4 sampling so that thin coloured lettering survives.
Bytes EncodeJpeg(const Canvas& canvas, int quality);
// PCM mono 16-bit RIFF WAVE.
Bytes EncodeWave(const std::vector<int16_t>& samples, uint32_t rate);
// 8-bit RGB PNG for the review pictures.
Bytes EncodePng(const Canvas& canvas);

bool WriteFile(const std::string& path, const Bytes& bytes);

}  // namespace ampliro::art
