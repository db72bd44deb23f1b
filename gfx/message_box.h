// The program's message box: a framed, translucent box over a snapshot of the
// screen with an optional title, word-wrapped coloured text that scrolls when
// it is too long, and one of four button sets.
#pragma once

#include <cstdint>

#include "gfx/button_bar.h"

namespace ampliro {

class Display;
struct BitmapFont;

// Flags of RunMessageBox.
inline constexpr uint32_t kMessageOkCancel = 0x01;
inline constexpr uint32_t kMessageYesNo = 0x02;
inline constexpr uint32_t kMessageCentre = 0x04;
inline constexpr uint32_t kMessageDontShowAgain = 0x08;
// The second button (Cancel, No) takes the focus instead of the first: for
// questions where Enter must not destroy anything.
inline constexpr uint32_t kMessageFocusSecond = 0x10;

// Answers: Ok and Yes 1; Cancel, No and "Don't show me again!" 2.
inline constexpr int32_t kMessageOk = 1;
inline constexpr int32_t kMessageCancel = 2;

inline constexpr int32_t kMaxMessageText = 4095;
inline constexpr int32_t kMaxMessageLines = 256;
inline constexpr int32_t kMaxMessageLineLength = 255;

struct MessageRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

struct MessageLine {
    int32_t start = 0;
    int32_t length = 0;  // without a closing "\r"
};

struct MessageBox {
    BitmapFont* titleFont = nullptr;  // null: the built-in 8 x 16 font
    BitmapFont* textFont = nullptr;
    BitmapFont* buttonFont = nullptr;
    // [0] inner frame, [1] outer frame and background, [2] text, [3] title;
    // null for 0xFFE0, 0x0000, 0xFFFF, 0xFFE0.
    const uint16_t* colours = nullptr;

    // Filled by RunMessageBox: the text (cut at 4095 characters), its lines
    // (at most 256), the box as laid out and the lines it shows at once.
    char text[kMaxMessageText + 1] = {};
    MessageLine lines[kMaxMessageLines];
    int32_t lineCount = 0;
    MessageRect box;
    int32_t firstLineY = 0;
    int32_t visibleLines = 0;
    int32_t scroll = 0;
    ButtonBar bar;
};

// How much of the screen behind shows through a box, in 32nds. A quarter
// left white list rows and their black text readable under the message;
// at 2/32 the box is a backing that only hints at what lies behind it.
inline constexpr int32_t kMessageShowThrough = 2;

// 1 or 2 for the buttons, 0 when no back buffer is available, -3 on quit.
// Without a rectangle the box spans the screen less 20 pixels and is centred.
int32_t RunMessageBox(MessageBox* box, Display* display, const char* text, const char* title,
                      const MessageRect* rect, uint32_t flags);

}  // namespace ampliro
