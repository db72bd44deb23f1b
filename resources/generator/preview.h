// Review pictures: a pedal picture with its controls drawn over it as the
// panel will show them, and the contact sheet of every generated picture.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "resources/generator/canvas.h"
#include "resources/generator/fonts.h"
#include "resources/generator/pedals.h"
#include "resources/generator/text.h"

namespace ampliro::art {

struct PreviewAssets {
    std::map<int, Canvas> strips;  // knob strips by resource number
    Canvas mask;                   // 126
    Canvas lamps;                  // 121
    Canvas levelThumb;             // 104
    Canvas bandThumb;              // 106
    Canvas largeMask;              // 123
    Canvas powerSwitch;            // 156
    Canvas recorderButtons;        // 124
    Canvas positionThumb;          // 105
    FontStrip captionFont;         // font 1, which draws every caption
    std::string captionGlyphs;
};

// Blends knob frame `frame` of strip through mask as the knob widget does:
// weight (a + 1) / 32 with a the top five bits of the mask's blue channel.
void DrawKnobFrame(Canvas& target, const Canvas& strip, const Canvas& mask, int frame, int x,
                   int y);

Canvas ComposePedalPreview(const Canvas& picture, const PedalLayout& layout,
                           const PreviewAssets& assets, const FontLibrary& fonts);

// An area background with its screen's controls sketched over it: knobs,
// lamps and pictures as drawn, lists and buttons as outlines with captions.
Canvas ComposeScreenPreview(const Canvas& background, int number, const PreviewAssets& assets,
                            const FontLibrary& fonts);

struct SheetItem {
    std::string caption;
    const Canvas* picture;
    int zoom;
};
// Lays the items out in rows no wider than width, each with its caption.
Canvas ContactSheet(const std::vector<SheetItem>& items, int width, const FontLibrary& fonts);

}  // namespace ampliro::art
