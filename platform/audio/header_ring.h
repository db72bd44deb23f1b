// HeaderRing: a device's queue of wave headers in the order they were handed
// in; fixed capacity, so queueing never allocates.
#pragma once

#include <array>
#include <cstddef>

#include "platform/audio/wave_device.h"

namespace ampliro {

class HeaderRing {
  public:
    static constexpr size_t kCapacity = 256;

    bool Push(WaveHeader* header) {
        if (count_ == kCapacity) return false;
        ring_[(head_ + count_) % kCapacity] = header;
        ++count_;
        return true;
    }
    WaveHeader* Front() const { return count_ == 0 ? nullptr : ring_[head_]; }
    WaveHeader* Pop() {
        if (count_ == 0) return nullptr;
        WaveHeader* header = ring_[head_];
        head_ = (head_ + 1) % kCapacity;
        --count_;
        return header;
    }
    // The i-th header from the front; i below Size().
    WaveHeader* At(size_t i) const { return ring_[(head_ + i) % kCapacity]; }
    size_t Size() const { return count_; }
    bool Empty() const { return count_ == 0; }

  private:
    std::array<WaveHeader*, kCapacity> ring_{};
    size_t head_ = 0;
    size_t count_ = 0;
};

}  // namespace ampliro
