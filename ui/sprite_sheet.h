// SpriteSheet: an image cut into equal cells, drawn with a transparent key.
#pragma once

#include <cstdint>

namespace ampliro {

class Surface;

struct SpriteSheet {
    // Cells are image width / columns by image height / rows.
    void Init(const Surface* image, uint32_t columns, uint32_t rows, uint16_t key);
    // Draws cell (column, row) at (x, y); rows wrap around the image height.
    void DrawCell(Surface* surface, int32_t x, int32_t y, int32_t column, int32_t row) const;

    const Surface* image = nullptr;
    int32_t cellWidth = 0;
    int32_t cellHeight = 0;
    uint16_t key = 0xF81F;
};

}  // namespace ampliro
