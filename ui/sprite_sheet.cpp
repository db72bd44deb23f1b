#include "ui/sprite_sheet.h"

#include "gfx/surface.h"

namespace ampliro {

void SpriteSheet::Init(const Surface* image, uint32_t columns, uint32_t rows, uint16_t key) {
    this->image = image;
    this->key = key;
    cellWidth = 0;
    cellHeight = 0;
    // No image or no cells: an empty sheet that draws nothing.
    if (!image || columns == 0 || rows == 0) return;
    cellWidth = static_cast<int32_t>(static_cast<uint32_t>(image->width) / columns);
    cellHeight = static_cast<int32_t>(static_cast<uint32_t>(image->height) / rows);
}

void SpriteSheet::DrawCell(Surface* surface, int32_t x, int32_t y, int32_t column,
                           int32_t row) const {
    if (!surface || !image || cellWidth <= 0 || cellHeight <= 0 || image->height <= 0) return;
    const int32_t sourceX = cellWidth * column;
    const int32_t sourceY = static_cast<int32_t>(static_cast<uint32_t>(cellHeight * row) %
                                                 static_cast<uint32_t>(image->height));
    // The blitter trusts its source rectangle: a column past the image (or a
    // negative one) would read outside the picture, so it draws nothing.
    if (sourceX < 0 || sourceX + cellWidth > image->width || sourceY + cellHeight > image->height)
        return;
    Blit(surface, x, y, cellWidth, cellHeight, image, sourceX, sourceY, 0, key, kBlitKey);
}

}  // namespace ampliro
