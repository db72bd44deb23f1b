#include "ui/knob.h"

#include <algorithm>
#include <cmath>

#include "gfx/surface.h"
#include "platform/window/messages.h"
#include "ui/desktop.h"

namespace ampliro {

namespace {

// Pixels of sideways travel that sweep the whole range: 1 << 7 = 128.
constexpr int kSweepShift = 7;
// Pixels of travel per step in endless mode.
constexpr int32_t kEndlessPixelsPerStep = 4;

// Clamp that also holds for a range given upside down (minimum > maximum),
// where std::clamp is undefined: such a range pins the value to its minimum.
int32_t ClampToRange(int64_t v, int32_t minimum, int32_t maximum) {
    return static_cast<int32_t>(std::max<int64_t>(minimum, std::min<int64_t>(v, maximum)));
}

}  // namespace

void Knob::SetImages(const Surface* strip, const Surface* mask) {
    this->strip = strip;
    this->mask = mask;
    frameCount = strip && strip->width > 0 ? strip->height / strip->width : 0;
    maskFrameCount = mask && mask->width > 0 ? mask->height / mask->width : 0;
    radius = static_cast<int16_t>(strip ? strip->width / 2 : 0);
}

// frame = (value - minimum) * (frames - 1) / (maximum - minimum), truncating
// toward zero. A one-value range or a strip without frames shows frame 0
// instead of dividing by zero; the product is taken in 64 bits.
int32_t Knob::FrameForValue() const {
    const int64_t span = static_cast<int64_t>(maximum) - minimum;
    if (span == 0 || frameCount <= 0) return 0;
    return static_cast<int32_t>((static_cast<int64_t>(value) - minimum) * (frameCount - 1) / span);
}

void Knob::SetValue(int32_t v) {
    if (v < minimum || v > maximum) return;
    value = v;
    if (!(style & kKnobEndless)) frame = static_cast<int16_t>(FrameForValue());
}

// Strictly inside the circle of the touch radius around the strip's centre.
bool Knob::Touched(uintptr_t lParam) const {
    const int32_t centre = strip ? strip->width / 2 : 0;
    const int64_t dx = static_cast<int64_t>(lParam & 0xFFFF) - centre;
    const int64_t dy = static_cast<int64_t>((lParam >> 16) & 0xFFFF) - centre;
    return std::sqrt(static_cast<double>(dx * dx + dy * dy)) < radius;
}

void Knob::Drag(int32_t penX) {
    const int16_t oldFrame = frame;
    if (!(style & kKnobEndless)) {
        // value = start + ((dx * range) >> 7); the shift rounds toward minus
        // infinity, so one pixel left already steps down while one pixel
        // right does not yet step up.
        const int64_t range = static_cast<int64_t>(maximum) - minimum;
        const int64_t turned =
            startValue + (((static_cast<int64_t>(penX) - startX) * range) >> kSweepShift);
        value = ClampToRange(turned, minimum, maximum);
        frame = static_cast<int16_t>(FrameForValue());
    } else {
        const int32_t step = (penX - startX) / kEndlessPixelsPerStep;
        // Slow movement accumulates: the start stays until a whole step.
        if (step == 0) return;
        value = ClampToRange(static_cast<int64_t>(value) + step, minimum, maximum);
        // The picture keeps turning at the ends of the range. A fast move can
        // step past more than one whole turn, so wrap by the remainder rather
        // than once, which keeps the frame inside the strip.
        int32_t turnedFrame = static_cast<int16_t>(frame + step);
        if (frameCount > 0) turnedFrame = ((turnedFrame % frameCount) + frameCount) % frameCount;
        frame = static_cast<int16_t>(turnedFrame);
        startX = penX;
    }
    if (frame != oldFrame)
        Notify(WM_COMMAND, MakeCommand(id, kNotifyKnobTurned), static_cast<uintptr_t>(value));
}

void Knob::Paint(Surface* surface) const {
    if (!surface || !strip || frameCount <= 0 || frame < 0 || frame >= frameCount) return;
    const int32_t stripWidth = strip->width;
    int32_t left = x, top = y;
    ToScreen(left, top);
    // The mask blit does not clip, so clip here: to the strip's frame size and
    // to the surface.
    const int32_t side = std::min(width, stripWidth);
    const int32_t clipLeft = std::max(0, -left), clipTop = std::max(0, -top);
    const int32_t drawWidth = std::min(side, surface->width - left) - clipLeft;
    const int32_t drawHeight = std::min(side, surface->height - top) - clipTop;
    if (drawWidth <= 0 || drawHeight <= 0) return;
    const int32_t sourceY = frame * stripWidth + clipTop;
    if (mask && maskFrameCount > 0 && mask->width >= side) {
        const int32_t maskY = (frame % maskFrameCount) * mask->width + clipTop;
        MaskBlit(surface, left + clipLeft, top + clipTop, drawWidth, drawHeight, strip, clipLeft,
                 sourceY, clipLeft, maskY, mask);
    } else {
        Blit(surface, left + clipLeft, top + clipTop, drawWidth, drawHeight, strip, clipLeft,
             sourceY, 0, 0, kBlitCopy);
    }
}

int Knob::HandleMessage(uint32_t message, uintptr_t wParam, uintptr_t lParam) {
    switch (message) {
        case WM_PAINT:
            Paint(reinterpret_cast<Surface*>(wParam));
            break;
        case WM_LBUTTONDOWN:
            if (Touched(lParam)) {
                savedCapture = SetCapture(this);
                style |= kKnobDragging;
                startX = static_cast<int32_t>(lParam & 0xFFFF);
                startY = static_cast<int32_t>((lParam >> 16) & 0xFFFF);
                startValue = value;
            }
            return 0;
        case WM_MOUSEMOVE:
            if (style & kKnobDragging) Drag(static_cast<int16_t>(lParam & 0xFFFF));
            return 0;
        case WM_LBUTTONUP:
            if (style & kKnobDragging) {
                SetCapture(savedCapture);
                style &= ~kKnobDragging;
                Notify(WM_COMMAND, MakeCommand(id, kNotifyKnobReleased),
                       static_cast<uintptr_t>(value));
            }
            return 0;
        default:
            break;
    }
    return DefaultProc(message, wParam, lParam);
}

}  // namespace ampliro
