// HeaderHandoff: wave headers handed from one thread to another without a
// lock, in the order they were handed in. One producer and one consumer at a
// time (they may be the same thread); the consumer may look at the oldest
// header before it takes it. Fixed capacity, so nothing allocates.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "platform/audio/wave_device.h"

namespace ampliro {

class HeaderHandoff {
  public:
    static constexpr uint32_t kCapacity = 256;  // a power of two

    // Producer: false when full.
    bool Push(WaveHeader* header) {
        const uint32_t tail = tail_.load(std::memory_order_relaxed);
        if (tail - head_.load(std::memory_order_acquire) == kCapacity) return false;
        ring_[tail % kCapacity] = header;
        tail_.store(tail + 1, std::memory_order_release);
        return true;
    }
    // Consumer: the oldest header, or null.
    WaveHeader* Front() const {
        const uint32_t head = head_.load(std::memory_order_relaxed);
        if (head == tail_.load(std::memory_order_acquire)) return nullptr;
        return ring_[head % kCapacity];
    }
    // Consumer: takes the oldest header, or null.
    WaveHeader* Pop() {
        WaveHeader* header = Front();
        if (header != nullptr) {
            head_.store(head_.load(std::memory_order_relaxed) + 1, std::memory_order_release);
        }
        return header;
    }

  private:
    std::array<WaveHeader*, kCapacity> ring_{};
    // Counters that only grow (wrapping); their difference is the fill.
    std::atomic<uint32_t> head_{0};
    std::atomic<uint32_t> tail_{0};
};

}  // namespace ampliro
