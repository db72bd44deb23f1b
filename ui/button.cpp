#include "ui/button.h"

#include "gfx/contrast.h"
#include "gfx/surface.h"
#include "platform/window/messages.h"
#include "ui/desktop.h"
#include "ui/sprite_sheet.h"

namespace ampliro {

namespace {

bool IsGroupMember(const Widget* o) {
    return o->kind == kKindButton && !(static_cast<const Button*>(o)->style & kButtonGroupStart);
}

// The filled bevel: light top-left and dark bottom-right when raised, the
// other way round (with a grey inner line) when pressed.
void DrawBevel(Surface* s, int32_t l, int32_t t, int32_t r, int32_t b, bool pressed) {
    const int32_t w = r - l, h = b - t;
    if (pressed) {
        HLine(s, l + 1, b - 1, w - 2, 0xFFFF);
        VLine(s, r - 1, t + 1, h - 2, 0xFFFF);
        HLine(s, l + 1, t + 1, w - 2, 0x4208);
        VLine(s, l + 1, t + 1, h - 2, 0x4208);
        HLine(s, l + 2, t + 2, w - 3, 0x8410);
        VLine(s, l + 2, t + 2, h - 3, 0x8410);
    } else {
        HLine(s, l + 1, b - 1, w - 2, 0x4208);
        VLine(s, r - 1, t + 1, h - 2, 0x4208);
        HLine(s, l + 1, b - 2, w - 3, 0x630C);
        VLine(s, r - 2, t + 1, h - 3, 0x630C);
        HLine(s, l + 1, t + 1, w - 3, 0xFFFF);
        VLine(s, l + 1, t + 1, h - 3, 0xFFFF);
    }
}

// The outline frame drawn around (outside) the button's rectangle.
void DrawOutline(Surface* s, int32_t l, int32_t t, int32_t r, int32_t b, uint16_t border,
                 bool pressed) {
    const int32_t w = r - l, h = b - t;
    HLine(s, l - 1, t - 1, w, border);
    VLine(s, l - 1, t - 1, h, border);
    HLine(s, l, t, w, pressed ? border : 0xC618);
    VLine(s, l, t, h, pressed ? border : 0xC618);
    HLine(s, l, b, w, 0x8410);
    if (pressed) {
        VLine(s, r + 1, t - 1, h + 1, 0x8410);
    } else {
        VLine(s, r + 1, t, h, 0x8410);
        HLine(s, l - 1, b - 1, w, border);
        VLine(s, r, t - 1, h, border);
    }
}

// A latched toggle lights up, as the pedals' footswitches do, so its state
// reads at a glance rather than only from a 2-pixel bevel shift. Outline
// toggles sit on dark panels with white captions: a green lamp face (white
// on it is 5.9:1) ringed in bright green. Filled toggles light amber.
constexpr uint16_t kLitLampFace = 0x03A0;
constexpr uint16_t kLitLampRing = 0x47E8;
constexpr uint16_t kLitFilledFace = 0xFE60;

void DrawLitLamp(Surface* s, int32_t l, int32_t t, int32_t r, int32_t b) {
    FillRect(s, l + 1, t + 1, r - 1, b - 1, kLitLampFace, 0);
    FrameRect(s, l + 1, t + 1, r - 1, b - 1, kLitLampRing);
}

}  // namespace

void Button::Configure(uint16_t buttonId, const char* text, int32_t left, int32_t top, int32_t w,
                       int32_t h, uint32_t buttonStyle, uint16_t face, uint16_t placement) {
    SetBounds(left, top, w, h);
    SetFlags(kVisible | kShowCaption);
    SetCaption(buttonId, text, placement);
    SetStyle(buttonStyle);
    faceColour = face;
}

bool Button::ShowsLit() const {
    return (style & kButtonToggle) && (style & kButtonOn) && (style & kButtonFramed);
}

bool Button::ShowsPressed() const {
    return (style & kButtonOn) || ((style & kButtonPenInside) && (style & kButtonPressed));
}

bool Button::Inside(uintptr_t lParam) const {
    // Unsigned halves: a pen left of or above the button reads as 65535-ish.
    const uint32_t px = lParam & 0xFFFF, py = (lParam >> 16) & 0xFFFF;
    return width >= 0 && height >= 0 && px <= static_cast<uint32_t>(width) &&
           py <= static_cast<uint32_t>(height);
}

void Button::Click() {
    Notify(WM_COMMAND, MakeCommand(id, kNotifyClick), reinterpret_cast<uintptr_t>(this));
}

void Button::SelectInGroup(uint16_t selectedId) {
    Widget* first = this;
    while (first->previousSibling && IsGroupMember(first)) first = first->previousSibling;
    for (Widget* o = first; o;) {
        if (o->kind != kKindButton) break;
        auto* button = static_cast<Button*>(o);
        if (!(button->style & kButtonRadio)) break;
        if (button->id == selectedId)
            button->style |= kButtonOn;
        else
            button->style &= ~kButtonOn;
        o = o->nextSibling;
        if (!o || !IsGroupMember(o)) break;
    }
}

void Button::Paint(Surface* surface) {
    const bool pressed = ShowsPressed();
    if (pressed)
        captionPlacement |= kPlacePressed;
    else
        captionPlacement &= ~kPlacePressed;
    int32_t l = x, t = y;
    ToScreen(l, t);
    const int32_t r = l + width, b = t + height;
    if (style & kButtonFramed) {
        const bool lit = ShowsLit();
        if (style & kButtonOutline) {
            if (lit) DrawLitLamp(surface, l, t, r, b);
            DrawOutline(surface, l, t, r, b, borderColour, pressed);
        } else {
            // The caption, drawn next by the parent, takes black or white,
            // whichever reads better on this face.
            const uint16_t face = lit ? kLitFilledFace : faceColour;
            captionColour = ReadableTextOn(face);
            FillRect(surface, l, t, r, b, face, 0);
            FrameRect(surface, l, t, r, b, borderColour);
            DrawBevel(surface, l, t, r, b, pressed);
        }
    }
    if (sheet) {
        const int32_t row = pressed ? 0 : 1;
        if (style & kButtonFramed) {
            const int32_t shift = pressed ? 2 : 0;
            sheet->DrawCell(surface, l + ((width - sheet->cellWidth) >> 1) + shift, t + 3 + shift,
                            imageColumn, row);
        } else {
            sheet->DrawCell(surface, l, t, imageColumn, row);
        }
    }
}

int Button::HandleMessage(uint32_t message, uintptr_t wParam, uintptr_t lParam) {
    switch (message) {
        case WM_PAINT:
            Paint(reinterpret_cast<Surface*>(wParam));
            break;
        case WM_LBUTTONDOWN:
            if (!Inside(lParam)) break;
            if (style & kButtonAutoRepeat) StartWidgetTimer(kRepeatTimerId, kRepeatPeriodMs);
            savedCapture = SetCapture(this);
            style |= kButtonPenInside | kButtonPressed;
            return 1;
        case WM_MOUSEMOVE:
            if (Inside(lParam))
                style |= kButtonPenInside;
            else
                style &= ~kButtonPenInside;
            break;
        case WM_LBUTTONUP:
            // Only a press that began on this button ends here: a pen that
            // went down elsewhere and slid over it neither clicks it nor hands
            // back a capture this button never took.
            if (style & kButtonPressed) {
                if (style & kButtonPenInside) {
                    if (style & kButtonRadio) SelectInGroup(id);
                    if (style & kButtonToggle) style ^= kButtonOn;
                    Click();
                }
                if (style & kButtonAutoRepeat) StopWidgetTimer(kRepeatTimerId);
                SetCapture(savedCapture);
            }
            style &= ~(kButtonPenInside | kButtonPressed);
            break;
        case WM_TIMER:
            // Timers reach every widget while nothing holds the capture, so
            // only a button that is held repeats.
            if (wParam == kRepeatTimerId && (style & kButtonPressed)) Click();
            break;
        default:
            break;
    }
    return DefaultProc(message, wParam, lParam);
}

}  // namespace ampliro
