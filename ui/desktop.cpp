#include "ui/desktop.h"

#include <algorithm>
#include <cstring>

#include "display/display.h"
#include "gfx/surface.h"
#include "platform/window/message_queue.h"
#include "platform/window/messages.h"
#include "platform/window/window.h"

namespace ampliro {

Desktop* CurrentDesktop = nullptr;

namespace {

constexpr int32_t kBlinkLast = 30;

bool IsPen(uint32_t message) {
    return message >= WM_MOUSEMOVE && message <= WM_LBUTTONUP;
}
bool IsKey(uint32_t message) {
    return message >= WM_KEYDOWN && message <= WM_CHAR;
}

bool IsSelfOrAncestor(const Widget* candidate, const Widget* widget) {
    for (const Widget* o = widget; o; o = o->parent) {
        if (o == candidate) return true;
    }
    return false;
}

// Copies the background under the surface. Equal layouts are one block copy;
// otherwise only the overlap is copied row by row, so a background of another
// size never reads or writes past either pixel block.
void CopyBackground(Surface* surface, const Surface* background) {
    if (!background->pixels || !surface->pixels) return;
    if (background->pitch == surface->pitch && background->height == surface->height &&
        background->width == surface->width) {
        std::memcpy(surface->pixels, background->pixels,
                    static_cast<size_t>(surface->pitch) * surface->height);
        return;
    }
    const int32_t rows = std::min(surface->height, background->height);
    const int32_t columns = std::min(surface->width, background->width);
    for (int32_t y = 0; y < rows; ++y) {
        std::memcpy(surface->Row(y), background->Row(y), static_cast<size_t>(columns) * 2);
    }
}

}  // namespace

Desktop::Desktop() {
    kind = kKindDesktop;
}

int Desktop::Attach(Display* display, Window* window) {
    if (!display) return 0;
    this->display = display;
    this->window = window;
    CurrentDesktop = this;
    const DisplayParams params = display->GetParams();
    SetBounds(0, 0, params.width, params.height);
    return 1;
}

void Desktop::SetFocus(Widget* widget) {
    if (widget == focus) return;
    if (widget && !(widget->flags & kCanFocus)) return;
    if (focus) focus->flags &= ~kHasFocus;
    focus = widget;
    if (focus) focus->flags |= kHasFocus;
}

Widget* Desktop::SetCapture(Widget* widget) {
    Widget* previous = capture;
    capture = widget;
    if (Window::IsAlive(window)) window->SetPenCapture(widget != nullptr);
    return previous;
}

Widget* Desktop::SetPopup(Widget* widget) {
    Widget* previous = popup;
    if (previous) previous->flags &= ~kPopup;
    popup = widget;
    if (popup) popup->flags |= kPopup;
    return previous;
}

void Desktop::Reset() {
    SetCapture(nullptr);
    SetFocus(nullptr);
    SetPopup(nullptr);
    RemoveChildren();
}

void Desktop::Render(const Surface* background) {
    if (!display) return;
    Surface* surface = display->GetBackBuffer();
    // Outside a frame (a dialog repainting on its timer) the desktop begins
    // its own, and every frame begun is presented.
    if (!surface && display->BeginScene()) surface = display->GetBackBuffer();
    if (!surface) return;
    if (background) CopyBackground(surface, background);
    HandleMessage(WM_PAINT, reinterpret_cast<uintptr_t>(surface), 0);
    display->Present(0);
}

int Desktop::PumpMessage(Message* msg) {
    int result = GetMessage(msg);
    if (result <= 0) return result;
    TranslateMessage(msg);
    if (IsKey(msg->message) || IsPen(msg->message) || msg->message == WM_TIMER ||
        msg->message == WM_MOUSEWHEEL) {
        HandleMessage(msg->message, msg->wParam, msg->lParam);
    } else if (msg->message != WM_COMMAND) {
        DispatchMessage(msg);
    }
    return 1;
}

Widget* Desktop::HitTest(Widget* root, Widget* captureHolder, int32_t px, int32_t py) {
    for (Widget* child = root->firstChild; child; child = child->nextSibling) {
        if (!(child->flags & kVisible)) continue;
        // Strictly inside on all four sides: the left and top edges belong to
        // no widget, so neighbours that share an edge never both claim it.
        if (!(child->x < px && px < child->x + child->width && child->y < py &&
              py < child->y + child->height))
            continue;
        if (child->firstChild) {
            if (Widget* hit = HitTest(child, captureHolder, px - child->x, py - child->y))
                return hit;
        }
        if (!captureHolder || IsSelfOrAncestor(captureHolder, child)) return child;
    }
    return nullptr;
}

int Desktop::RoutePen(uint32_t message, uintptr_t lParam) {
    const int32_t px = static_cast<int32_t>(lParam & 0xFFFF);
    const int32_t py = static_cast<int32_t>((lParam >> 16) & 0xFFFF);
    Widget* target = HitTest(this, capture, px, py);
    if (message == WM_LBUTTONDOWN && target) SetFocus(target);
    if (!target) target = capture;
    if (!target || (target->flags & kDisabled)) return 0;
    int32_t lx = px, ly = py;
    target->ToLocal(lx, ly);
    return target->HandleMessage(message, reinterpret_cast<uintptr_t>(this), PackPoint(lx, ly));
}

// The wheel goes to the widget under the pointer and, while that one does
// not take it, to its ancestors in turn: over a list's scroll bar it still
// scrolls the list. lParam reaches each of them in its own coordinates.
int Desktop::RouteWheel(uintptr_t wParam, uintptr_t lParam) {
    const int32_t px = static_cast<int32_t>(lParam & 0xFFFF);
    const int32_t py = static_cast<int32_t>((lParam >> 16) & 0xFFFF);
    Widget* target = HitTest(this, capture, px, py);
    if (!target) target = capture;
    for (Widget* o = target; o && o != this; o = o->parent) {
        if (o->flags & kDisabled) continue;
        int32_t lx = px, ly = py;
        o->ToLocal(lx, ly);
        if (o->HandleMessage(WM_MOUSEWHEEL, wParam, PackPoint(lx, ly))) return 1;
    }
    return 0;
}

int Desktop::HandleMessage(uint32_t message, uintptr_t wParam, uintptr_t lParam) {
    if (message == WM_PAINT) {
        blinkPhase = blinkPhase + 1 > kBlinkLast ? 0 : blinkPhase + 1;
        DefaultProc(WM_PAINT, wParam, lParam);
        if (popup) {
            popup->flags &= ~kPopup;
            popup->DefaultProc(WM_PAINT, wParam, lParam);
            popup->flags |= kPopup;
        }
        return 0;
    }
    if (IsKey(message)) return focus ? focus->HandleMessage(message, wParam, lParam) : 0;
    if (message == WM_TIMER) {
        if (capture) return capture->HandleMessage(message, wParam, lParam);
        return DefaultProc(message, wParam, lParam);
    }
    if (IsPen(message)) return RoutePen(message, lParam);
    if (message == WM_MOUSEWHEEL) return RouteWheel(wParam, lParam);
    return DefaultProc(message, wParam, lParam);
}

Widget* SetFocus(Widget* widget) {
    if (!CurrentDesktop) return nullptr;
    Widget* previous = CurrentDesktop->focus;
    CurrentDesktop->SetFocus(widget);
    return previous;
}

Widget* SetCapture(Widget* widget) {
    return CurrentDesktop ? CurrentDesktop->SetCapture(widget) : nullptr;
}

Widget* SetPopup(Widget* widget) {
    return CurrentDesktop ? CurrentDesktop->SetPopup(widget) : nullptr;
}

void StartWidgetTimer(uint32_t id, uint32_t periodMs) {
    if (CurrentDesktop && Window::IsAlive(CurrentDesktop->window))
        ampliro::SetTimer(CurrentDesktop->window, id, periodMs);
}

void StopWidgetTimer(uint32_t id) {
    if (CurrentDesktop && CurrentDesktop->window) ampliro::KillTimer(CurrentDesktop->window, id);
}

}  // namespace ampliro
