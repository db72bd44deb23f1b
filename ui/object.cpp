#include "ui/object.h"

#include "ui/messages.h"

namespace ampliro {

int TObject::HandleMessage(uint32_t, uintptr_t, uintptr_t) {
    return 0;
}

int TObject::DefaultProc(uint32_t message, uintptr_t wParam, uintptr_t lParam) {
    if (message == WM_COMMAND || (message >= WM_MOUSEMOVE && message <= WM_LBUTTONUP)) return 0;
    if (message == WM_PAINT && (flags & kPopup)) return 0;
    for (TObject* child = firstChild; child; child = child->nextSibling) {
        if (message == WM_PAINT && !(child->flags & kVisible)) continue;
        int result = child->HandleMessage(message, wParam, lParam);
        if (result) return result;
    }
    return 0;
}

void TObject::SetBounds(int32_t x, int32_t y, int32_t width, int32_t height) {
    this->x = x;
    this->y = y;
    this->width = width;
    this->height = height;
    HandleMessage(WM_SIZE, 0, PackPoint(width, height));
}

void TObject::AddChild(TObject* child) {
    child->parent = this;
    child->nextSibling = nullptr;
    child->previousSibling = lastChild;
    if (lastChild)
        lastChild->nextSibling = child;
    else
        firstChild = child;
    lastChild = child;
}

void TObject::RemoveChildren() {
    firstChild = nullptr;
    lastChild = nullptr;
}

void TObject::SetCaption(uint16_t id, const char* text, uint16_t placement) {
    this->id = id;
    caption = text;
    captionPlacement = placement;
}

void TObject::Notify(uint32_t message, uintptr_t wParam, uintptr_t lParam) {
    if (parent) parent->HandleMessage(message, wParam, lParam);
}

void TObject::ToScreen(int32_t& px, int32_t& py) const {
    for (const TObject* o = parent; o; o = o->parent) {
        px += o->x;
        py += o->y;
    }
}

void TObject::ToLocal(int32_t& px, int32_t& py) const {
    for (const TObject* o = parent; o; o = o->parent) {
        px -= o->x;
        py -= o->y;
    }
    px -= x;
    py -= y;
}

}  // namespace ampliro
