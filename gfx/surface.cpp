// Clear and the blend table.
#include "gfx/surface.h"

#include <algorithm>
#include <cmath>

namespace ampliro {

uint8_t BlendTable[32][32];

void BuildBlendTable() {
    for (int i = 0; i < 32; ++i) {
        for (int j = 0; j < 32; ++j) {
            BlendTable[i][j] = static_cast<uint8_t>(std::ceil(i * j * 0.03225806451612903));
        }
    }
}

void Clear(Surface* s, uint16_t colour) {
    if (!s || !s->pixels || s->height <= 0) return;
    // The whole block, row padding included: pitch * height bytes.
    const size_t count = (size_t{s->pitch & ~1u} * static_cast<size_t>(s->height)) / 2;
    std::fill_n(s->pixels, count, colour);
}

}  // namespace ampliro
