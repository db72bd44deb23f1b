#include "platform/threads/thread_queue.h"

#include <chrono>

namespace ampliro {

bool ThreadQueue::Post(uint32_t message, uintptr_t wParam, uintptr_t lParam) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (count_ == kCapacity) return false;
        ring_[(head_ + count_) % kCapacity] = ThreadMessage{message, wParam, lParam};
        ++count_;
    }
    arrived_.notify_one();
    return true;
}

void ThreadQueue::PostQuit() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        quitRequested_ = true;
    }
    arrived_.notify_one();
}

void ThreadQueue::DiscardQuit() {
    std::lock_guard<std::mutex> lock(mutex_);
    quitRequested_ = false;
}

int ThreadQueue::Get(ThreadMessage& out) {
    std::unique_lock<std::mutex> lock(mutex_);
    busy_ = false;
    if (count_ == 0) idle_.notify_all();
    arrived_.wait(lock, [this] { return count_ > 0 || quitRequested_; });
    if (count_ == 0) {
        quitRequested_ = false;
        out = ThreadMessage{kQuitMessage, 0, 0};
        idle_.notify_all();
        return 0;
    }
    out = ring_[head_];
    head_ = (head_ + 1) % kCapacity;
    --count_;
    busy_ = true;
    return out.message == kQuitMessage ? 0 : 1;
}

void ThreadQueue::WaitUntilIdle() {
    std::unique_lock<std::mutex> lock(mutex_);
    idle_.wait(lock, [this] { return count_ == 0 && !busy_; });
}

bool ThreadQueue::WaitUntilIdleFor(uint32_t milliseconds) {
    std::unique_lock<std::mutex> lock(mutex_);
    return idle_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                          [this] { return count_ == 0 && !busy_; });
}

size_t ThreadQueue::Pending() {
    std::lock_guard<std::mutex> lock(mutex_);
    return count_;
}

}  // namespace ampliro
