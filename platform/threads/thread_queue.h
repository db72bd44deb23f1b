// ThreadQueue: a thread's own queue of (message, wParam, lParam) triples.
//
// Producers post from any thread (the audio devices' callbacks, the main
// thread); one consumer thread waits for them. The ring has a fixed capacity,
// so posting never allocates. A quit request is delivered after the messages
// already queued, and also when the ring is full.
#pragma once

#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>

namespace ampliro {

// The same code as the window message WM_QUIT.
inline constexpr uint32_t kQuitMessage = 0x12;

struct ThreadMessage {
    uint32_t message = 0;
    uintptr_t wParam = 0;
    uintptr_t lParam = 0;
};

class ThreadQueue {
  public:
    static constexpr size_t kCapacity = 1024;

    // False when the ring is full; the message is then lost.
    bool Post(uint32_t message, uintptr_t wParam, uintptr_t lParam);
    void PostQuit();
    // Forgets a quit request no consumer took (its thread ended first).
    void DiscardQuit();
    // Blocks until a message arrives. Returns 0 for the quit request (the
    // message is then kQuitMessage), 1 for any other message.
    int Get(ThreadMessage& out);
    // Returns once the ring is empty and the consumer is back waiting, so
    // every message posted before the call has been handled. Only call it
    // while a consumer thread is running.
    void WaitUntilIdle();
    // The same with a time limit; false when it ran out first.
    bool WaitUntilIdleFor(uint32_t milliseconds);
    size_t Pending();

  private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::condition_variable idle_;
    std::array<ThreadMessage, kCapacity> ring_{};
    size_t head_ = 0;
    size_t count_ = 0;
    bool quitRequested_ = false;
    // The consumer holds a message it has not finished with.
    bool busy_ = false;
};

}  // namespace ampliro
