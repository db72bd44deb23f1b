// MessageThread: a std::thread that owns a message queue, for threads driven
// by posted notifications (the audio thread).
#pragma once

#include <atomic>
#include <thread>

#include "platform/threads/thread_queue.h"

namespace ampliro {

enum class ThreadPriority {
    kUnchanged,   // the system allowed no raise
    kRaisedNice,  // the lowest nice value the user may set
    kRealTime,    // SCHED_FIFO
};

// Raises the calling thread as far as the system allows: SCHED_FIFO at the
// highest permitted priority, else the lowest permitted nice value.
ThreadPriority RaiseCurrentThreadToRealTime();

// Names the calling thread as `top -H` and the benchmarks show it (at most
// 15 characters are kept).
void NameCurrentThread(const char* name);

class MessageThread {
  public:
    // The thread's body; its result is the thread's exit code.
    using Procedure = int (*)(ThreadQueue& queue);

    MessageThread() = default;
    MessageThread(const MessageThread&) = delete;
    MessageThread& operator=(const MessageThread&) = delete;
    // Asks the thread to quit and joins it.
    ~MessageThread();

    // Starts the procedure on a new thread raised to real-time priority.
    // False when the system cannot create a thread or one is still running.
    bool Start(Procedure procedure);
    // True from Start until the procedure returns.
    bool Running() const { return running_.load(std::memory_order_acquire); }
    // Posts the quit request and waits for the thread to end.
    void Quit();

    ThreadQueue& Queue() { return queue_; }
    int ExitCode() const { return exitCode_.load(std::memory_order_acquire); }
    ThreadPriority Priority() const { return priority_.load(std::memory_order_acquire); }

  private:
    ThreadQueue queue_;
    std::thread thread_;
    std::atomic<bool> running_{false};
    std::atomic<int> exitCode_{0};
    std::atomic<ThreadPriority> priority_{ThreadPriority::kUnchanged};
};

}  // namespace ampliro
