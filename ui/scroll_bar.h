// ScrollBar: a horizontal or vertical scroll bar with arrow buttons and a
// draggable thumb or, with a thumb picture, a slider with tick marks.
#pragma once

#include <cstdint>

#include "ui/button.h"
#include "ui/widget.h"

namespace ampliro {

struct SpriteSheet;

// Style bits.
inline constexpr uint32_t kScrollHorizontal = 0x01;
inline constexpr uint32_t kScrollGrip = 0x02;
inline constexpr uint32_t kScrollValueCaption = 0x04;
inline constexpr uint32_t kScrollTicksBefore = 0x08;
inline constexpr uint32_t kScrollTicksAfter = 0x10;
inline constexpr uint32_t kScrollDragging = 0x40;

// Notification codes.
inline constexpr uint32_t kScrollArrowBack = 0;
inline constexpr uint32_t kScrollArrowForward = 1;
inline constexpr uint32_t kScrollPageBack = 2;
inline constexpr uint32_t kScrollPageForward = 3;
inline constexpr uint32_t kScrollReleased = 4;
inline constexpr uint32_t kScrollDragged = 5;

struct ScrollRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;  // inclusive, local
};

class ScrollBar : public Widget {
  public:
    ScrollBar();

    int HandleMessage(uint32_t message, uintptr_t wParam, uintptr_t lParam) override;

    // Range for a window of visible items out of first..total: the thumb's
    // share of the track is visible / (total - first).
    void SetScrollRange(int32_t first, int32_t total, int32_t visible);
    void SetPosition(int32_t position);
    int32_t GetPosition() const { return position + dragOffset; }
    void SetArrowSheet(const SpriteSheet* sheet);
    // Slider mode: the thumb is a picture and there are no arrows.
    void SetThumbSheet(const SpriteSheet* sheet);
    void SetStyle(uint32_t style);

    // Track and thumb along the bar's axis, local coordinates.
    void Layout();

    int32_t thickness = 14;
    uint32_t style = 0;
    const SpriteSheet* thumbSheet = nullptr;
    const SpriteSheet* arrowSheet = nullptr;
    ScrollRect thumb;
    Button arrowBack;
    Button arrowForward;
    int32_t tickCount = 10;
    int32_t minimum = 0;
    int32_t maximum = 100;
    int32_t minimumThumbLength = 12;
    int32_t position = 0;
    float pageSize = 50.0f;
    int32_t pageStep = 0;
    int32_t dragOffset = 0;
    char captionBuffer[16] = {};
    uint16_t trackColour = 0x0000;
    uint16_t thumbColour = 0xBE7F;
    uint16_t thumbShadowColour = 0x6218;
    uint16_t thumbDraggedColour = 0x6418;
    int32_t dragStartX = 0;
    int32_t dragStartY = 0;
    int32_t span = 0;  // track length - thumb length

  private:
    bool Horizontal() const { return style & kScrollHorizontal; }
    bool HasArrows() const { return arrowSheet && !thumbSheet; }
    void LayoutArrows();
    void Step(int32_t delta, uint32_t code);
    void PenDown(uintptr_t lParam);
    void PenMove(uintptr_t lParam);
    void PenUp();
    void NotifyPosition(uint32_t code);
    void PaintClassic(Surface* s, int32_t ox, int32_t oy);
    void PaintSlider(Surface* s, int32_t ox, int32_t oy);

    int32_t trackStart_ = 0;
    int32_t trackLength_ = 0;
};

}  // namespace ampliro
