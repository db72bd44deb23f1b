#include <algorithm>

#include "display/display.h"

namespace ampliro {

void DefaultKeys(uint16_t keys[16], int32_t orientation) {
    // Arrows, Enter, Space, Ctrl, Shift; no further hardware buttons here.
    static constexpr uint16_t kKeys[8] = {38, 40, 37, 39, 13, 32, 17, 16};
    std::fill_n(keys, 16, uint16_t{0});
    std::copy_n(kKeys, 8, keys);
    enum { kUp, kDown, kLeft, kRight };
    const uint16_t up = keys[kUp], down = keys[kDown], left = keys[kLeft], right = keys[kRight];
    // The screen's native orientation is 0; each quarter turn moves the arrows round.
    switch (orientation & 3) {
        case 1:
            keys[kUp] = left, keys[kDown] = right, keys[kLeft] = down, keys[kRight] = up;
            break;
        case 2:
            keys[kUp] = down, keys[kDown] = up, keys[kLeft] = right, keys[kRight] = left;
            break;
        case 3:
            keys[kUp] = right, keys[kDown] = left, keys[kLeft] = up, keys[kRight] = down;
            break;
        default:
            break;
    }
}

}  // namespace ampliro
