#include "platform/window/screen_placement.h"

#include <algorithm>

namespace ampliro {

ScreenPlacement PlaceScreen(int32_t deviceWidth, int32_t deviceHeight, int32_t windowWidth,
                            int32_t windowHeight) {
    ScreenPlacement p;
    if (deviceWidth <= 0 || deviceHeight <= 0) return p;
    p.scale = std::max(1, std::min(windowWidth / deviceWidth, windowHeight / deviceHeight));
    // A window smaller than the screen (its minimum size forbids it, but a
    // window manager may not ask) shows the screen from its top-left corner.
    p.left = std::max(0, (windowWidth - deviceWidth * p.scale) / 2);
    p.top = std::max(0, (windowHeight - deviceHeight * p.scale) / 2);
    return p;
}

int32_t WindowToDevice(int32_t windowPixel, int32_t offset, int32_t scale) {
    const int32_t d = windowPixel - offset;
    if (scale <= 1) return d;
    return d >= 0 ? d / scale : -((-d + scale - 1) / scale);
}

}  // namespace ampliro
