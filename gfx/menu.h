// The choice menu (a centred column of item buttons with scrolling, keys and
// an opening and closing animation) and the popup menu (a pen-driven list
// with check marks, a second column and separators). Both are built from an
// item list: items of two decimal digits, the item's code, followed
// by the label, separated by commas ("01Yes,02No").
#pragma once

#include <cstdint>

#include "gfx/button_bar.h"
#include "gfx/message_box.h"

namespace ampliro {

class Display;
struct BitmapFont;

inline constexpr int32_t kMaxMenuItemList = 255;
inline constexpr int32_t kMaxMenuItems = 23;
inline constexpr int32_t kMaxMenuTitle = 83;

// Flags of RunChoiceMenu; the program uses all three.
inline constexpr uint32_t kMenuOpenAnimation = 0x01;
inline constexpr uint32_t kMenuCloseAnimation = 0x02;
inline constexpr uint32_t kMenuRun = 0x04;

// Popup flags.
inline constexpr uint32_t kPopupOpenUpward = 0x01;

// A parsed item list: labels point into its own copy.
struct MenuItems {
    char itemList[kMaxMenuItemList + 1] = {};
    const char* labels[kMaxMenuItems] = {};
    uint8_t codes[kMaxMenuItems] = {};
    int32_t count = 0;
};

// Copies (at most 255 characters) and splits; empty items are skipped and
// items past the 23rd dropped.
void ParseMenuItems(MenuItems* items, const char* itemList);

struct ChoiceMenu {
    uint16_t outerFrameColour = 0x001F;
    uint16_t innerFrameColour = 0x07FF;
    uint16_t titleColour = 0xFFFF;
    // How much of the screen shows through the running menu, in 32nds:
    // half by default; a menu that stands among message boxes takes their
    // near-opaque backing.
    int32_t showThrough = 16;
    BitmapFont* buttonFont = nullptr;
    BitmapFont* titleFont = nullptr;
    int32_t itemHeight = 21;
    int32_t itemWidth = 140;
    int32_t itemPitch = 25;
    int32_t focus = 1;  // entry of the bar, kept between runs
    int32_t firstVisible = 0;
    int32_t visibleCount = 0;
    MessageRect rect;
    char title[kMaxMenuTitle + 1] = {};
    MenuItems items;
    ButtonBar bar;
};

// The chosen item's code; 0 when nothing was chosen or there are no items;
// -3 on quit.
int32_t RunChoiceMenu(ChoiceMenu* menu, Display* display, const char* title, const char* itemList,
                      uint32_t flags);

struct PopupMenu {
    BitmapFont* font = nullptr;  // required
    int32_t screenWidth = 0;
    int32_t screenHeight = 0;
    int32_t top = 0;
    int32_t left = 0;
    int32_t itemHeight = 0;
    int32_t width = 0;
    int32_t hovered = 0;  // 1-based, 0 none
    int32_t secondColumnX = 0;
    uint32_t flags = 0;
    uint16_t background = 0xFFFF;
    uint16_t text = 0x0000;
    uint16_t highlightBackground = 0x85BF;
    uint16_t highlightText = 0x0000;
    uint16_t innerFrame = 0x07FF;
    uint16_t outerFrame = 0x001F;
    MessageRect rect;
    int32_t penX = 0;
    int32_t penY = 0;
    MenuItems items;
};

// In a label a leading "*" draws a filled check box and "?" an empty one, a
// tab starts the second column, an empty label is a separator; code 0 makes
// an item unselectable. The chosen code, or 0 when cancelled or empty.
int32_t RunPopup(PopupMenu* popup, Display* display, int32_t x, int32_t y, const char* itemList);
void SetPopupColours(PopupMenu* popup, uint16_t background, uint16_t text,
                     uint16_t highlightBackground, uint16_t innerFrame, uint16_t outerFrame,
                     uint16_t highlightText);
void SetPopupFont(PopupMenu* popup, BitmapFont* font);

}  // namespace ampliro
