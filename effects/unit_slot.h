// UnitSlot: the float unit a pedal plays, replaced whole while the audio
// runs. The audio thread takes the unit for one block with Acquire and lets
// go with Release; another thread publishes a new unit with one atomic
// exchange and gets the old one back only once no block still uses it, so
// the old unit is freed off the audio thread and never under it.
//
// The audio side announces the unit it is about to use (a hazard pointer)
// and checks that it is still the published one. The order of the two
// seq_cst operations on each side means a replacing thread that exchanged
// the pointer either is seen by that check (and the block takes the new
// unit) or itself sees the announcement and waits the block out.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace ampliro {

template <typename Unit>
class UnitSlot {
  public:
    UnitSlot() = default;
    UnitSlot(const UnitSlot&) = delete;
    UnitSlot& operator=(const UnitSlot&) = delete;
    ~UnitSlot() { delete live_.load(std::memory_order_acquire); }

    // Audio thread: the unit for this block (null when there is none); no
    // lock, no allocation. Every Acquire is followed by one Release.
    Unit* Acquire() {
        Unit* unit = live_.load(std::memory_order_seq_cst);
        for (;;) {
            inUse_.store(unit, std::memory_order_seq_cst);
            Unit* again = live_.load(std::memory_order_seq_cst);
            if (again == unit) return unit;
            unit = again;
        }
    }
    void Release() { inUse_.store(nullptr, std::memory_order_release); }

    // Any thread but the audio thread: publishes next and returns the unit
    // it replaces, once no block uses it any more (at most one block's wait).
    std::unique_ptr<Unit> Swap(std::unique_ptr<Unit> next) {
        Unit* old = live_.exchange(next.release(), std::memory_order_seq_cst);
        while (old != nullptr && inUse_.load(std::memory_order_seq_cst) == old)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        return std::unique_ptr<Unit>(old);
    }

    // Whether a unit is published; any thread.
    bool HasUnit() const { return live_.load(std::memory_order_acquire) != nullptr; }

  private:
    std::atomic<Unit*> live_{nullptr};
    std::atomic<Unit*> inUse_{nullptr};
};

}  // namespace ampliro
