// The part of Window that code holding a window pointer calls (the desktop
// and the message queue). It needs no video system, so that a program with
// no window at all, like the offline renderer, links without one.
#include "platform/window/window_registry.h"

#include <algorithm>

#include "platform/window/message_queue.h"
#include "platform/window/window.h"

namespace ampliro {

std::vector<Window*>& LiveWindows() {
    static std::vector<Window*> windows;
    return windows;
}

bool Window::IsAlive(const Window* window) {
    const auto& live = LiveWindows();
    return window && std::find(live.begin(), live.end(), window) != live.end();
}

void Window::SetPenCapture(bool captured) {
    if (captured == captured_) return;
    captured_ = captured;
    if (native_) CaptureNativePen(captured);
}

}  // namespace ampliro
