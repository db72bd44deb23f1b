// SpscRing: a lock-free ring between exactly one producer thread and one
// consumer thread. The producer fills slots ahead of the head and publishes
// them with Commit; the consumer reads slots from the tail and frees them with
// Consume. Indices count up without wrapping (64 bits) and pick their slot by
// a mask, so full and empty are never confused.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace ampliro {

template <typename T>
class SpscRing {
  public:
    // capacity: a power of two; the storage is made here, never later.
    explicit SpscRing(size_t capacity) : slots_(new T[capacity]()), mask_(capacity - 1) {}
    SpscRing(const SpscRing&) = delete;
    SpscRing& operator=(const SpscRing&) = delete;

    size_t Capacity() const { return mask_ + 1; }

    // Producer.
    size_t Space() const {
        return Capacity() -
               (head_.load(std::memory_order_relaxed) - tail_.load(std::memory_order_acquire));
    }
    T& Ahead(size_t i) { return slots_[(head_.load(std::memory_order_relaxed) + i) & mask_]; }
    void Commit(size_t n) {
        head_.store(head_.load(std::memory_order_relaxed) + n, std::memory_order_release);
    }
    // All n or nothing; false when they do not fit.
    bool PushAll(const T* items, size_t n) {
        if (Space() < n) return false;
        for (size_t i = 0; i < n; ++i) Ahead(i) = items[i];
        Commit(n);
        return true;
    }

    // Consumer.
    size_t Available() const {
        return head_.load(std::memory_order_acquire) - tail_.load(std::memory_order_relaxed);
    }
    const T& At(size_t i) const {
        return slots_[(tail_.load(std::memory_order_relaxed) + i) & mask_];
    }
    // The longest stretch from the tail that lies in one piece of storage.
    size_t Contiguous(size_t available) const {
        const size_t start = tail_.load(std::memory_order_relaxed) & mask_;
        const size_t toEnd = Capacity() - start;
        return available < toEnd ? available : toEnd;
    }
    void Consume(size_t n) {
        tail_.store(tail_.load(std::memory_order_relaxed) + n, std::memory_order_release);
    }

    // Only while neither side uses the ring.
    void Reset() {
        head_.store(0, std::memory_order_relaxed);
        tail_.store(0, std::memory_order_relaxed);
    }

  private:
    std::unique_ptr<T[]> slots_;
    size_t mask_;
    std::atomic<uint64_t> head_{0};
    std::atomic<uint64_t> tail_{0};
};

}  // namespace ampliro
