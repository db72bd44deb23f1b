#include "platform/window/message_queue.h"

#include <algorithm>
#include <deque>
#include <mutex>
#include <vector>

#include "platform/system/clock.h"
#include "platform/window/messages.h"
#include "platform/window/window.h"

namespace ampliro {

namespace {

struct Timer {
    Window* window;
    uint32_t id;
    uint32_t period;
    uint32_t due;
};

struct Queue {
    std::mutex lock;  // PostMessage may come from another thread
    std::deque<Message> messages;
    std::vector<Timer> timers;
    MessageClock clock = &Milliseconds;
    EventSource source;
};

Queue& TheQueue() {
    static Queue queue;
    return queue;
}

// Unsigned difference: the clock wraps after about 49 days.
bool IsDue(const Timer& t, uint32_t now) {
    return static_cast<int32_t>(now - t.due) >= 0;
}

bool TakePosted(Queue& q, Message* msg, bool remove) {
    std::lock_guard<std::mutex> guard(q.lock);
    if (q.messages.empty()) return false;
    *msg = q.messages.front();
    if (remove) q.messages.pop_front();
    return true;
}

bool TakeDueTimer(Queue& q, Message* msg, bool remove) {
    uint32_t now = q.clock();
    std::lock_guard<std::mutex> guard(q.lock);
    for (Timer& t : q.timers) {
        if (!IsDue(t, now)) continue;
        t.due = now + t.period;
        *msg = Message{t.window, WM_TIMER, t.id, 0, now};
        if (!remove) q.messages.push_back(*msg);
        return true;
    }
    return false;
}

// Milliseconds until the earliest timer is due; UINT32_MAX without timers.
uint32_t TimeToNextTimer(Queue& q) {
    uint32_t now = q.clock();
    std::lock_guard<std::mutex> guard(q.lock);
    uint32_t best = UINT32_MAX;
    for (const Timer& t : q.timers) {
        uint32_t wait = IsDue(t, now) ? 0 : t.due - now;
        if (wait < best) best = wait;
    }
    return best;
}

}  // namespace

bool PeekMessage(Message* msg, bool remove) {
    Queue& q = TheQueue();
    if (q.source.poll) q.source.poll();
    return TakePosted(q, msg, remove) || TakeDueTimer(q, msg, remove);
}

int GetMessage(Message* msg) {
    Queue& q = TheQueue();
    for (;;) {
        if (PeekMessage(msg, true)) return msg->message == WM_QUIT ? 0 : 1;
        uint32_t timeout = TimeToNextTimer(q);
        if (q.source.wait) {
            // Wake now and then even without timers so requests from a second
            // copy of the program are seen while the window is inactive.
            q.source.wait(timeout < 100 ? timeout : 100);
        } else if (timeout == UINT32_MAX) {
            // Nothing can ever arrive: no event source and no timer.
            *msg = Message{};
            return -1;
        } else {
            SleepMilliseconds(timeout ? timeout : 1);
        }
    }
}

void WaitForMessages(uint32_t timeoutMs) {
    Queue& q = TheQueue();
    {
        std::lock_guard<std::mutex> guard(q.lock);
        if (!q.messages.empty()) return;
    }
    const uint32_t wait = std::min(timeoutMs, TimeToNextTimer(q));
    if (wait == 0) return;
    if (q.source.wait) {
        q.source.wait(wait);
    } else {
        SleepMilliseconds(wait);
    }
}

bool PostMessage(Window* window, uint32_t message, uintptr_t wParam, uintptr_t lParam) {
    if (window && !Window::IsAlive(window)) return false;
    Queue& q = TheQueue();
    uint32_t now = q.clock();
    std::lock_guard<std::mutex> guard(q.lock);
    q.messages.push_back(Message{window, message, wParam, lParam, now});
    return true;
}

void PostQuitMessage(int exitCode) {
    PostMessage(nullptr, WM_QUIT, static_cast<uintptr_t>(exitCode), 0);
}

void TranslateMessage(const Message* msg) {
    if (msg->message != WM_KEYDOWN) return;
    switch (msg->wParam) {
        case VK_BACK:
        case VK_RETURN:
        case 9:   // Tab
        case 27:  // Escape
            PostMessage(msg->window, WM_CHAR, msg->wParam, msg->lParam);
            break;
        default:
            break;
    }
}

intptr_t DispatchMessage(const Message* msg) {
    if (!msg->window || !Window::IsAlive(msg->window)) return 0;
    return msg->window->Send(msg->message, msg->wParam, msg->lParam);
}

void SetTimer(Window* window, uint32_t id, uint32_t periodMs) {
    if (!window) return;
    Queue& q = TheQueue();
    uint32_t now = q.clock();
    if (periodMs == 0) periodMs = 1;
    std::lock_guard<std::mutex> guard(q.lock);
    for (Timer& t : q.timers) {
        if (t.window == window && t.id == id) {
            t.period = periodMs;
            t.due = now + periodMs;
            return;
        }
    }
    q.timers.push_back(Timer{window, id, periodMs, now + periodMs});
}

void KillTimer(Window* window, uint32_t id) {
    Queue& q = TheQueue();
    std::lock_guard<std::mutex> guard(q.lock);
    std::erase_if(q.timers, [&](const Timer& t) { return t.window == window && t.id == id; });
    // A tick generated before the kill but not yet taken goes too.
    std::erase_if(q.messages, [&](const Message& m) {
        return m.window == window && m.message == WM_TIMER && m.wParam == id;
    });
}

void SetMessageClock(MessageClock clock) {
    TheQueue().clock = clock ? clock : &Milliseconds;
}

void DiscardWindowMessages(Window* window) {
    Queue& q = TheQueue();
    std::lock_guard<std::mutex> guard(q.lock);
    std::erase_if(q.timers, [&](const Timer& t) { return t.window == window; });
    std::erase_if(q.messages, [&](const Message& m) { return m.window == window; });
}

void ResetMessageQueue() {
    Queue& q = TheQueue();
    std::lock_guard<std::mutex> guard(q.lock);
    q.timers.clear();
    q.messages.clear();
}

void SetEventSource(EventSource source) {
    TheQueue().source = source;
}

void CaptureNativePen(bool captured) {
    if (const auto capture = TheQueue().source.capture) capture(captured);
}

}  // namespace ampliro
