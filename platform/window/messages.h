// Window and widget message codes, notification codes and virtual keys.
#pragma once

#include <cstdint>

namespace ampliro {

inline constexpr uint32_t WM_SIZE = 5;
inline constexpr uint32_t WM_PAINT = 15;
inline constexpr uint32_t WM_CLOSE = 0x10;
inline constexpr uint32_t WM_QUIT = 0x12;
inline constexpr uint32_t WM_ACTIVATE = 6;
inline constexpr uint32_t WM_KEYDOWN = 256;
inline constexpr uint32_t WM_KEYUP = 257;
inline constexpr uint32_t WM_CHAR = 258;
inline constexpr uint32_t WM_COMMAND = 273;
inline constexpr uint32_t WM_TIMER = 275;
inline constexpr uint32_t WM_MOUSEMOVE = 512;
inline constexpr uint32_t WM_LBUTTONDOWN = 513;
inline constexpr uint32_t WM_LBUTTONUP = 514;
// The mouse wheel: wParam's high half is the signed turn, 120 per notch,
// positive away from the user; lParam the pointer's position.
inline constexpr uint32_t WM_MOUSEWHEEL = 0x020A;
// A file was dropped onto the window: TakeDroppedFile (event_translation.h)
// hands over its path.
inline constexpr uint32_t WM_DROPFILES = 0x0233;
inline constexpr int32_t kWheelNotch = 120;

inline constexpr uint32_t VK_BACK = 8;
inline constexpr uint32_t VK_RETURN = 13;
inline constexpr uint32_t VK_SHIFT = 16;
inline constexpr uint32_t VK_CONTROL = 17;
inline constexpr uint32_t VK_SPACE = 32;
inline constexpr uint32_t VK_LEFT = 37;
inline constexpr uint32_t VK_UP = 38;
inline constexpr uint32_t VK_RIGHT = 39;
inline constexpr uint32_t VK_DOWN = 40;
inline constexpr uint32_t VK_DELETE = 46;

// Pen coordinates travel as x in the low 16 bits and y in the high 16 bits.
constexpr uint32_t PackPoint(int32_t x, int32_t y) {
    return (static_cast<uint32_t>(x) & 0xFFFF) | ((static_cast<uint32_t>(y) & 0xFFFF) << 16);
}
// A command's wParam: control id low, notification code high.
constexpr uint32_t MakeCommand(uint32_t id, uint32_t code) {
    return (id & 0xFFFF) | (code << 16);
}

// Notification codes in the high half of a command's wParam.
inline constexpr uint32_t kNotifyClick = 0;
inline constexpr uint32_t kNotifyKnobReleased = 4;
inline constexpr uint32_t kNotifyKnobTurned = 5;

}  // namespace ampliro
