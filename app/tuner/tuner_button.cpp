#include "app/tuner/tuner_button.h"

#include "gfx/surface.h"
#include "platform/window/messages.h"

namespace ampliro {
namespace {

constexpr uint16_t kFace = 0x2104;
constexpr uint16_t kPressedFace = 0x4208;
constexpr uint16_t kFork = 0xFEA0;

}  // namespace

void TunerButton::Place(TunerHost* host) {
    host_ = host;
    SetBounds(kLeft, kTop, kSize, kSize);
    SetFlags(kVisible);
    SetStyle(0);
}

void TunerButton::PaintFork(Surface* surface) const {
    if (!surface) return;
    int32_t left = x, top = y;
    ToScreen(left, top);
    const bool down = (style & kButtonPressed) && (style & kButtonPenInside);
    FillRect(surface, left, top, left + width - 1, top + height - 1, down ? kPressedFace : kFace,
             0);
    FrameRect(surface, left, top, left + width - 1, top + height - 1, kFork);
    // Two prongs joined in a U over the stem.
    const int32_t cx = left + width / 2;
    VLine(surface, cx - 3, top + 3, 6, kFork);
    VLine(surface, cx + 3, top + 3, 6, kFork);
    HLine(surface, cx - 3, top + 9, 7, kFork);
    VLine(surface, cx, top + 9, 4, kFork);
}

int TunerButton::HandleMessage(uint32_t message, uintptr_t wParam, uintptr_t lParam) {
    if (message == WM_PAINT) {
        PaintFork(reinterpret_cast<Surface*>(wParam));
        return 0;
    }
    const bool clicked =
        message == WM_LBUTTONUP && (style & kButtonPressed) && (style & kButtonPenInside);
    const int result = Button::HandleMessage(message, wParam, lParam);
    if (clicked && host_) host_->OpenTuner();
    return result;
}

}  // namespace ampliro
