// MidiInbox: MIDI bytes on their way from one source thread (a JACK process
// callback, the ALSA sequencer's reader) to the main thread, which parses
// them and acts. Lock-free and allocation-free after construction: the
// producer only copies bytes into a ring.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "platform/threads/spsc_ring.h"

namespace ampliro {

class MidiInbox {
  public:
    // Room for a few hundred messages: the main thread empties the inbox
    // every frame (50 ms), in which a foot controller sends a handful.
    static constexpr size_t kCapacity = 4096;

    MidiInbox() : ring_(kCapacity) {}

    // Producer. A whole event or nothing, so that the parser never sees half
    // of a message followed by the next one; false (and counted) when it
    // does not fit.
    bool Post(const uint8_t* bytes, size_t count) {
        if (ring_.PushAll(bytes, count)) return true;
        dropped_.fetch_add(1, std::memory_order_relaxed);
        return false;
    }

    // Consumer: up to capacity bytes, oldest first; returns how many.
    size_t Take(uint8_t* out, size_t capacity) {
        const size_t n = ring_.Available() < capacity ? ring_.Available() : capacity;
        for (size_t i = 0; i < n; ++i) out[i] = ring_.At(i);
        ring_.Consume(n);
        return n;
    }

    // Events that found the inbox full.
    uint32_t Dropped() const { return dropped_.load(std::memory_order_relaxed); }

  private:
    SpscRing<uint8_t> ring_;
    std::atomic<uint32_t> dropped_{0};
};

}  // namespace ampliro
