#include "ui/scroll_bar.h"

#include <algorithm>
#include <cstdio>

#include "gfx/surface.h"
#include "platform/window/messages.h"
#include "ui/desktop.h"
#include "ui/sprite_sheet.h"

namespace ampliro {

namespace {

constexpr int32_t kDefaultThickness = 14;
constexpr int32_t kGripMinimumLength = 20;
// A pen coordinate beyond this reads as a position left of or above the bar.
constexpr uint32_t kNegativeCoordinate = 0x8000;

}  // namespace

ScrollBar::ScrollBar() {
    kind = kKindScrollBar;
    arrowBack.id = 1;
    arrowForward.id = 2;
    arrowBack.SetStyle(kButtonAutoRepeat);
    arrowForward.SetStyle(kButtonAutoRepeat);
    arrowBack.SetFlags(0);
    arrowForward.SetFlags(0);
    AddChild(&arrowBack);
    AddChild(&arrowForward);
}

void ScrollBar::SetScrollRange(int32_t first, int32_t total, int32_t visible) {
    // A negative window would make the share's divisor (total - first) zero.
    visible = std::max(visible, 0);
    if (visible < total - first) {
        minimum = first;
        maximum = total - visible;
        pageStep = visible;
        pageSize = static_cast<float>(static_cast<int64_t>(total - first - visible) * visible) /
                   static_cast<float>(total - first);
    } else {
        minimum = maximum = pageStep = 0;
        pageSize = 1.0f;
    }
    // Keep the thumb on the track of the new range.
    position = std::clamp(position, minimum, std::max(minimum, maximum));
    dragOffset = 0;
}

void ScrollBar::SetPosition(int32_t p) {
    p = std::clamp(p, minimum, std::max(minimum, maximum));
    if (p != position) dragOffset = 0;
    position = p;
}

void ScrollBar::SetArrowSheet(const SpriteSheet* sheet) {
    arrowSheet = sheet;
    LayoutArrows();
}

void ScrollBar::SetThumbSheet(const SpriteSheet* sheet) {
    thumbSheet = sheet;
    arrowSheet = nullptr;
    LayoutArrows();
}

void ScrollBar::SetStyle(uint32_t newStyle) {
    style = newStyle;
    LayoutArrows();
}

void ScrollBar::LayoutArrows() {
    thickness = arrowSheet && arrowSheet->cellWidth > 0 ? arrowSheet->cellWidth : kDefaultThickness;
    const uint16_t arrowFlags = HasArrows() ? kVisible : 0;
    arrowBack.SetFlags(arrowFlags);
    arrowForward.SetFlags(arrowFlags);
    arrowBack.SetImage(arrowSheet, 0);
    arrowForward.SetImage(arrowSheet, 1);
    arrowBack.SetBounds(0, 0, thickness, thickness);
    if (Horizontal())
        arrowForward.SetBounds(width - thickness + 1, 0, thickness, thickness);
    else
        arrowForward.SetBounds(0, height - thickness + 1, thickness, thickness);
}

void ScrollBar::Layout() {
    const int32_t length = Horizontal() ? width : height;
    const int32_t across = Horizontal() ? height : width;
    const int32_t range = std::max(maximum - minimum, 1);
    int32_t thumbLength = 0, thumbAcrossStart = 1, thumbAcrossEnd = thickness - 2;
    if (thumbSheet) {
        trackStart_ = 1;
        trackLength_ = length - 2;
        thumbLength = Horizontal() ? thumbSheet->cellWidth : thumbSheet->cellHeight;
        const int32_t thumbAcross = Horizontal() ? thumbSheet->cellHeight : thumbSheet->cellWidth;
        thumbAcrossStart = (across - thumbAcross) >> 1;
        thumbAcrossEnd = thumbAcrossStart + thumbAcross - 1;
    } else {
        trackStart_ = HasArrows() ? thickness + 2 : 1;
        trackLength_ = length - (HasArrows() ? 2 * (thickness + 2) : 2);
        thumbLength = std::max(minimumThumbLength,
                               static_cast<int32_t>(static_cast<float>(trackLength_) * pageSize /
                                                    static_cast<float>(range)));
        // A track shorter than the minimum thumb holds a thumb of its length.
        thumbLength = std::min(thumbLength, std::max(trackLength_, 0));
    }
    span = trackLength_ - thumbLength;
    const int32_t offset =
        static_cast<int32_t>(static_cast<int64_t>(GetPosition() - minimum) * span / range);
    const int32_t alongStart = trackStart_ + offset;
    const int32_t alongEnd = alongStart + thumbLength - 1;
    if (Horizontal())
        thumb = ScrollRect{alongStart, thumbAcrossStart, alongEnd, thumbAcrossEnd};
    else
        thumb = ScrollRect{thumbAcrossStart, alongStart, thumbAcrossEnd, alongEnd};
}

void ScrollBar::NotifyPosition(uint32_t code) {
    Notify(WM_COMMAND, MakeCommand(id, code), static_cast<uintptr_t>(GetPosition()));
}

void ScrollBar::Step(int32_t delta, uint32_t code) {
    SetPosition(position + delta);
    NotifyPosition(code);
}

void ScrollBar::PenDown(uintptr_t lParam) {
    const int32_t px = static_cast<int32_t>(lParam & 0xFFFF);
    const int32_t py = static_cast<int32_t>((lParam >> 16) & 0xFFFF);
    const int32_t along = Horizontal() ? px : py;
    const int32_t thumbStart = Horizontal() ? thumb.left : thumb.top;
    const int32_t thumbEnd = Horizontal() ? thumb.right : thumb.bottom;
    if (along < thumbStart) {
        SetPosition(position - pageStep);
        NotifyPosition(kScrollPageBack);
    } else if (along > thumbEnd) {
        SetPosition(position + pageStep);
        NotifyPosition(kScrollPageForward);
    } else {
        savedCapture = SetCapture(this);
        dragStartX = px;
        dragStartY = py;
        style |= kScrollDragging;
    }
}

void ScrollBar::PenMove(uintptr_t lParam) {
    if (span == 0) return;
    uint32_t px = lParam & 0xFFFF, py = (lParam >> 16) & 0xFFFF;
    if (px > kNegativeCoordinate) px = 0;
    if (py > kNegativeCoordinate) py = 0;
    const int32_t d = Horizontal() ? static_cast<int32_t>(px) - dragStartX
                                   : static_cast<int32_t>(py) - dragStartY;
    // new = range * d / span + position, rounded to nearest (truncating the
    // biased value), in float as the thumb follows the pen smoothly.
    const float moved =
        static_cast<float>(maximum - minimum) * static_cast<float>(d) / static_cast<float>(span) +
        static_cast<float>(position) + 0.5f;
    const int32_t target =
        std::clamp(static_cast<int32_t>(moved), minimum, std::max(minimum, maximum));
    const int32_t before = GetPosition();
    dragOffset = target - position;
    if (GetPosition() != before) NotifyPosition(kScrollDragged);
}

void ScrollBar::PenUp() {
    // Only a drag holds the capture; a page tap never took it, so it must not
    // hand back a capture that belongs to someone else (an open combo).
    if (style & kScrollDragging) SetCapture(savedCapture);
    style &= ~kScrollDragging;
    const int32_t committed = GetPosition();
    dragOffset = 0;
    position = std::clamp(committed, minimum, std::max(minimum, maximum));
    NotifyPosition(kScrollReleased);
}

void ScrollBar::PaintClassic(Surface* s, int32_t ox, int32_t oy) {
    const int32_t trackEnd = trackStart_ + trackLength_;
    if (Horizontal())
        FrameRect(s, ox + trackStart_ - 1, oy, ox + trackEnd, oy + thickness - 1, trackColour);
    else
        FrameRect(s, ox, oy + trackStart_ - 1, ox + thickness - 1, oy + trackEnd, trackColour);
    if (trackLength_ <= 0) return;
    const bool dragging = style & kScrollDragging;
    const int32_t l = ox + thumb.left, t = oy + thumb.top, r = ox + thumb.right,
                  b = oy + thumb.bottom;
    FillRect(s, l, t, r, b, dragging ? thumbDraggedColour : thumbColour, 0);
    const uint16_t lit = dragging ? thumbShadowColour : 0xFFFF;
    const uint16_t shade = dragging ? 0xFFFF : thumbShadowColour;
    HLine(s, l, t, r - l, lit);
    VLine(s, l, t, b - t, lit);
    HLine(s, l, b, r - l, shade);
    VLine(s, r, t, b - t, shade);
    const int32_t length = Horizontal() ? r - l + 1 : b - t + 1;
    if (!(style & kScrollGrip) || length <= kGripMinimumLength) return;
    // Three pairs of grip lines across the middle of the thumb.
    for (int32_t k = -3; k <= 3; k += 3) {
        if (Horizontal()) {
            const int32_t gx = ((l + r) >> 1) + k;
            VLine(s, gx, t + 3, b - t - 6, 0xFFFF);
            VLine(s, gx + 1, t + 3, b - t - 6, trackColour);
        } else {
            const int32_t gy = ((t + b) >> 1) + k;
            HLine(s, l + 3, gy, r - l - 6, 0xFFFF);
            HLine(s, l + 3, gy + 1, r - l - 6, trackColour);
        }
    }
}

void ScrollBar::PaintSlider(Surface* s, int32_t ox, int32_t oy) {
    const int32_t across = Horizontal() ? height : width;
    const int32_t middle = across >> 1;
    const uint16_t lines[3] = {0xC618, 0x0000, 0x8410};
    for (int32_t i = 0; i < 3; ++i) {
        if (Horizontal())
            HLine(s, ox + trackStart_, oy + middle - 1 + i, trackLength_ - 1, lines[i]);
        else
            VLine(s, ox + middle - 1 + i, oy + trackStart_, trackLength_ - 1, lines[i]);
    }
    if ((style & (kScrollTicksBefore | kScrollTicksAfter)) && tickCount > 0) {
        const int32_t thumbLength = trackLength_ - span;
        // One mark per tick, evenly from the first to the last thumb centre;
        // a single tick sits at the first (no division by tickCount - 1 = 0).
        for (int32_t i = 0; i < tickCount; ++i) {
            const int32_t at =
                trackStart_ + (thumbLength >> 1) + (tickCount > 1 ? i * span / (tickCount - 1) : 0);
            if (Horizontal()) {
                if (style & kScrollTicksBefore) VLine(s, ox + at, oy, 2, trackColour);
                if (style & kScrollTicksAfter) VLine(s, ox + at, oy + across - 3, 2, trackColour);
            } else {
                if (style & kScrollTicksBefore) HLine(s, ox, oy + at, 2, trackColour);
                if (style & kScrollTicksAfter) HLine(s, ox + across - 3, oy + at, 2, trackColour);
            }
        }
    }
    thumbSheet->DrawCell(s, ox + thumb.left, oy + thumb.top, 0, 0);
}

int ScrollBar::HandleMessage(uint32_t message, uintptr_t wParam, uintptr_t lParam) {
    switch (message) {
        case WM_SIZE:
            LayoutArrows();
            break;
        case WM_PAINT: {
            Layout();
            if (style & kScrollValueCaption) {
                std::snprintf(captionBuffer, sizeof captionBuffer, "%d",
                              static_cast<int>(GetPosition()));
                caption = captionBuffer;
            }
            int32_t ox = x, oy = y;
            ToScreen(ox, oy);
            auto* surface = reinterpret_cast<Surface*>(wParam);
            if (thumbSheet)
                PaintSlider(surface, ox, oy);
            else
                PaintClassic(surface, ox, oy);
            break;
        }
        case WM_COMMAND:
            if ((wParam & 0xFFFF) == arrowBack.id) Step(-1, kScrollArrowBack);
            if ((wParam & 0xFFFF) == arrowForward.id) Step(1, kScrollArrowForward);
            return 0;
        case WM_LBUTTONDOWN:
            Layout();
            PenDown(lParam);
            return 1;
        case WM_MOUSEMOVE:
            if (style & kScrollDragging) PenMove(lParam);
            break;
        case WM_LBUTTONUP:
            PenUp();
            break;
        default:
            break;
    }
    return DefaultProc(message, wParam, lParam);
}

}  // namespace ampliro
