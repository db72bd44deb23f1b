// The main thread's window message queue: post, peek, get, translate and
// dispatch, with window timers. Modal loops pump the same queue as the frame
// loop, so every loop sees every message exactly once.
#pragma once

#include <cstdint>

namespace ampliro {

class Window;

struct Message {
    Window* window = nullptr;  // null for thread messages such as WM_QUIT
    uint32_t message = 0;
    uintptr_t wParam = 0;
    uintptr_t lParam = 0;
    uint32_t time = 0;
};

// Takes the next message without waiting; false when none is waiting. Due
// timers produce WM_TIMER only when nothing else is waiting, as window timers
// always have, so a slow consumer sees at most one pending tick per timer.
bool PeekMessage(Message* msg, bool remove = true);
// Returns when a message may be waiting, a timer falls due, or after
// timeoutMs, whichever comes first; takes nothing.
void WaitForMessages(uint32_t timeoutMs);
// Waits for the next message; 0 when it is WM_QUIT, else 1.
int GetMessage(Message* msg);
// Appends a message for the window; false when the window no longer exists.
bool PostMessage(Window* window, uint32_t message, uintptr_t wParam, uintptr_t lParam);
// Appends WM_QUIT with the exit code in wParam.
void PostQuitMessage(int exitCode);
// Key downs that stand for control characters (Enter, Backspace, Escape, Tab)
// post the matching WM_CHAR; printable characters arrive from text input.
void TranslateMessage(const Message* msg);
// Calls the window procedure of the message's window; 0 for thread messages.
intptr_t DispatchMessage(const Message* msg);

// Window timers: WM_TIMER with wParam = id, every period milliseconds. Setting
// an existing id restarts it with the new period.
void SetTimer(Window* window, uint32_t id, uint32_t periodMs);
void KillTimer(Window* window, uint32_t id);

// The clock the timers read; Milliseconds unless a test installs its own.
using MessageClock = uint32_t (*)();
void SetMessageClock(MessageClock clock);

// Forgets every queued message and timer of the window (it is going away).
void DiscardWindowMessages(Window* window);
// Empties the queue and stops every timer.
void ResetMessageQueue();

// Where platform events come from: poll turns every pending native event into
// posted messages; wait blocks up to timeoutMs for one; capture keeps pen
// events coming while the pen is held down outside the window. Installed by
// the window layer; without one the queue holds only what is posted.
struct EventSource {
    void (*poll)() = nullptr;
    void (*wait)(uint32_t timeoutMs) = nullptr;
    void (*capture)(bool captured) = nullptr;
};
void SetEventSource(EventSource source);
// Asks the installed source to capture the pen or let it go.
void CaptureNativePen(bool captured);

}  // namespace ampliro
