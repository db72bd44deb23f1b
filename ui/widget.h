// Widget: a rectangle in the widget tree that receives messages.
#pragma once

#include <cstdint>

namespace ampliro {

// State flags.
inline constexpr uint16_t kVisible = 0x01;
inline constexpr uint16_t kDisabled = 0x02;
inline constexpr uint16_t kShowCaption = 0x04;
inline constexpr uint16_t kPostNotifications = 0x08;
inline constexpr uint16_t kHasFocus = 0x10;
inline constexpr uint16_t kCanFocus = 0x20;
inline constexpr uint16_t kPopup = 0x40;

// Where SetCaption puts the caption: centred on the widget, or against one
// edge, outside it or, with kPlaceInside, inside it. kPlacePressed moves an
// inside caption 2 pixels down and right, as a pressed face does.
inline constexpr uint16_t kPlaceCentre = 0x00;
inline constexpr uint16_t kPlaceLeft = 0x01;
inline constexpr uint16_t kPlaceRight = 0x02;
inline constexpr uint16_t kPlaceAbove = 0x04;
inline constexpr uint16_t kPlaceBelow = 0x08;
inline constexpr uint16_t kPlaceInside = 0x10;
inline constexpr uint16_t kPlaceAboveLeft = 0x20;
inline constexpr uint16_t kPlacePressed = 0x40;

// Widget kinds, tested by the radio-group walk.
inline constexpr uint16_t kKindDesktop = 1;
inline constexpr uint16_t kKindButton = 2;
inline constexpr uint16_t kKindScrollBar = 3;
inline constexpr uint16_t kKindListBox = 4;
inline constexpr uint16_t kKindFileList = 5;
inline constexpr uint16_t kKindEdit = 7;

class Surface;

class Widget {
  public:
    Widget() = default;
    Widget(const Widget&) = delete;
    Widget& operator=(const Widget&) = delete;
    // A widget that goes away while the current desktop holds it as capture,
    // focus or popup is let go of there, so nothing reaches a dead widget.
    virtual ~Widget();

    // Hands a message on to the children, first to last.
    virtual int DefaultProc(uint32_t message, uintptr_t wParam, uintptr_t lParam);
    // The class's own handler; overrides end with DefaultProc.
    virtual int HandleMessage(uint32_t message, uintptr_t wParam, uintptr_t lParam);

    void SetBounds(int32_t x, int32_t y, int32_t width, int32_t height);
    void AddChild(Widget* child);
    void SetFlags(uint16_t flags) { this->flags = flags; }
    void SetCaption(uint16_t id, const char* text, uint16_t placement);
    // Calls the parent's HandleMessage; with kPostNotifications the message is
    // also posted to the current desktop's window.
    void Notify(uint32_t message, uintptr_t wParam, uintptr_t lParam);
    // Draws the caption with the current desktop's caption font.
    void DrawCaption(Surface* surface) const;
    void ToScreen(int32_t& x, int32_t& y) const;
    void ToLocal(int32_t& x, int32_t& y) const;
    // Empties the child list; the children themselves are untouched.
    void RemoveChildren();

    int32_t x = 0, y = 0, width = 0, height = 0;
    uint16_t flags = kVisible;
    uint16_t captionPlacement = 8;
    uint16_t id = 0;
    uint16_t kind = 0;
    const char* caption = nullptr;
    // The colour a caption starts in until its own colour codes say otherwise;
    // a filled button sets it to read against its face.
    uint16_t captionColour = 0xFFFF;
    Widget* parent = nullptr;
    Widget* firstChild = nullptr;
    Widget* lastChild = nullptr;
    Widget* nextSibling = nullptr;
    Widget* previousSibling = nullptr;
    Widget* savedCapture = nullptr;
};

}  // namespace ampliro
