// Native (SDL) input and window events turned into window messages.
#pragma once

#include <cstdint>
#include <string>

namespace ampliro {

class Window;

// Virtual-key code for an SDL keycode (letters and digits as their upper-case
// characters); 0 for keys the program has no code for.
uint32_t VirtualKeyFromSdlKeycode(int32_t keycode);

// Posts the messages that one SDL_Event stands for to the window. Pen
// positions are divided by the window's scale into device pixels; pen moves
// are reported only while the left button is held, as a pen only moves while
// it touches the screen.
// A dropped file is queued and announced with WM_DROPFILES.
void PostNativeEvent(Window* window, const void* sdlEvent);

// Main thread: the oldest dropped file not yet taken; false when none is left.
bool TakeDroppedFile(std::string& path);

}  // namespace ampliro
