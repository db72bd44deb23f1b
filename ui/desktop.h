// Desktop: the root of the widget tree on show. It owns the pen capture, the
// keyboard focus and the popup, routes window messages to the widgets and
// paints the whole tree once per frame.
#pragma once

#include <cstdint>

#include "ui/widget.h"

namespace ampliro {

class Display;
class Window;
struct BitmapFont;
struct Message;

class Desktop : public Widget {
  public:
    Desktop();

    int HandleMessage(uint32_t message, uintptr_t wParam, uintptr_t lParam) override;

    // Stores display and window, becomes CurrentDesktop and covers the
    // display's screen. 0 when the display is null.
    int Attach(Display* display, Window* window);
    void SetCaptionFont(BitmapFont* font) { captionFont = font; }
    // Ignored for the current holder and for a widget without kCanFocus.
    void SetFocus(Widget* widget);
    // Returns the previous holder; a holder also captures the window's pen.
    Widget* SetCapture(Widget* widget);
    // Returns the previous popup.
    Widget* SetPopup(Widget* widget);
    // Drops capture, focus and popup, and empties the child list.
    void Reset();
    // Paints the tree over the background (or over what the surface holds
    // when background is null) and presents it.
    void Render(const Surface* background);
    // Waits for the next window message and routes it: input and timers to
    // the widgets, commands nowhere, everything else to the window procedure.
    // 0 on WM_QUIT, -1 when no message can arrive, else 1.
    int PumpMessage(Message* msg);
    // Advances on every paint through 0..30; the caret shows below 15.
    int32_t BlinkPhase() const { return blinkPhase; }

    // The widget under (x, y), relative to root. With a capture holder, only a
    // widget that is the holder or lies inside it can be hit.
    static Widget* HitTest(Widget* root, Widget* captureHolder, int32_t x, int32_t y);

    Widget* capture = nullptr;
    Widget* focus = nullptr;
    Widget* popup = nullptr;
    Display* display = nullptr;
    Window* window = nullptr;
    BitmapFont* captionFont = nullptr;
    int32_t blinkPhase = 0;

  private:
    int RoutePen(uint32_t message, uintptr_t lParam);
    int RouteWheel(uintptr_t wParam, uintptr_t lParam);
};

// The desktop that widgets reach for the window, capture, focus and fonts.
extern Desktop* CurrentDesktop;

// The global forms: act on CurrentDesktop, null without one.
Widget* SetFocus(Widget* widget);
Widget* SetCapture(Widget* widget);
Widget* SetPopup(Widget* widget);
// Window timers of the current desktop's window; nothing without one.
void StartWidgetTimer(uint32_t id, uint32_t periodMs);
void StopWidgetTimer(uint32_t id);

}  // namespace ampliro
