// ButtonBar: up to 64 push buttons with their own drawing, pen and key
// handling, and RunModal, the loop that keeps a bar on screen over a
// snapshot until one of its buttons is chosen. Message boxes and menus
// stand on it.
#pragma once

#include <cstdint>

namespace ampliro {

class Display;
class Surface;
struct BitmapFont;

inline constexpr int32_t kMaxBarButtons = 64;

// Button flags.
inline constexpr uint16_t kBarButtonHidden = 0x01;
inline constexpr uint16_t kBarButtonDisabled = 0x02;
inline constexpr uint16_t kBarButtonFocused = 0x20;
inline constexpr uint16_t kBarButtonPressed = 0x40;
inline constexpr uint16_t kBarButtonNoFocus = 0x80;

// Bar flags.
inline constexpr uint32_t kBarNoWrap = 0x01;
inline constexpr uint32_t kBarNoKeys = 0x02;
// Up and Down scroll (they return the arrow ids) and only Left and Right
// move the focus, so Enter keeps pressing the default button of a box whose
// text scrolls.
inline constexpr uint32_t kBarKeysScroll = 0x04;

// Ids of the scroll arrows, also returned by key navigation past either end
// of a bar that does not wrap.
inline constexpr int32_t kBarArrowUp = -1;
inline constexpr int32_t kBarArrowDown = -2;
// RunModal's answer when the program is asked to quit.
inline constexpr int32_t kBarQuit = -3;

enum BarColour : int {
    kBarText = 0,
    kBarFill,
    kBarFrame,
    kBarDisabledText,
    kBarFocusedFrame,
    kBarFocusedText,
    kBarFocusedFill,
    kBarColourCount
};

struct BarButton {
    // Hit tests include left and top and exclude right and bottom.
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    uint16_t flags = 0;
    int32_t id = 0;
    BitmapFont* font = nullptr;  // null: the built-in 8 x 16 font
    uint16_t colours[kBarColourCount] = {};
    const char* label = "";  // not owned
};

struct ButtonBar {
    int32_t count = 0;
    int32_t pressed = 0;  // 1-based number of the button held down, 0 none
    uint32_t flags = 0;
    BitmapFont* font = nullptr;
    uint16_t colours[kBarColourCount] = {0x0000, 0xC618, 0x0000, 0xA514, 0xF800, 0x4000, 0xC618};
    BarButton buttons[kMaxBarButtons];
};

void ResetBar(ButtonBar* bar);
void SetBarFlags(ButtonBar* bar, uint32_t flags);
void SetBarFont(ButtonBar* bar, BitmapFont* font);
// 0 when the bar is full, else 1.
int AddButton(ButtonBar* bar, int32_t id, const char* label, int32_t x, int32_t y, int32_t width,
              int32_t height, uint16_t flags);
// 1-based numbers; 0 for none.
int FindButton(const ButtonBar* bar, int32_t id);
int EnableButton(ButtonBar* bar, int32_t id, int enable);
int FocusedButton(const ButtonBar* bar);
// index is 0-based.
void SetFocusButton(ButtonBar* bar, int32_t index);
void DrawBar(const ButtonBar* bar, Surface* surface);
// A chosen id, -1/-2 from key navigation past the ends, or 0.
int32_t BarInput(ButtonBar* bar, uint32_t message, uintptr_t wParam, uintptr_t lParam);
// Shows the bar over a snapshot of the screen and routes messages to it until
// a button is chosen: its id, -1/-2, or -3 on quit (the quit is posted again).
int32_t RunModal(ButtonBar* bar, Display* display);

}  // namespace ampliro
