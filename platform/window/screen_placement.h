// Where the device screen sits in a window of any size: the largest integer
// scale at which it fits (at least 1), centred, with black margins round it.
// The display draws with it and the pen maps window pixels back through it.
#pragma once

#include <cstdint>

namespace ampliro {

struct ScreenPlacement {
    int32_t scale = 1;
    int32_t left = 0;  // window pixels from the window's edges to the screen's
    int32_t top = 0;
};

ScreenPlacement PlaceScreen(int32_t deviceWidth, int32_t deviceHeight, int32_t windowWidth,
                            int32_t windowHeight);

// A window pixel to a device pixel, rounding toward minus infinity so that a
// pen in the margin left of or above the screen maps to a negative position.
int32_t WindowToDevice(int32_t windowPixel, int32_t offset, int32_t scale);

}  // namespace ampliro
