// The peak lamp's hold: lit by a clipped sample, out again after a second's
// worth of clipping calls (the sample rate) with nothing clipped.
#pragma once

#include <atomic>
#include <cstdint>

namespace ampliro::dsp {

// What a unit's block reports about its clipping: of `calls` clip steps
// (one or two per sample), the 0-based number of the last one that clipped,
// or -1 when none did.
struct ClipReport {
    int32_t lastClip = -1;
    int32_t calls = 0;
};

// The hold and lamp after the calls of `report`. Call by call the hold counts
// down while positive and puts the lamp out when it reaches 0, and a clipped
// call lights the lamp and restarts the hold at `rate`; only the last
// clipping call matters for the end state, and after it the remaining calls
// count down.
inline void HoldPeak(int32_t& hold, std::atomic<int32_t>& lamp, int32_t rate, ClipReport report) {
    int32_t countdown = report.calls;
    if (report.lastClip >= 0) {
        hold = rate;
        lamp.store(1, std::memory_order_relaxed);
        countdown = report.calls - 1 - report.lastClip;
    }
    if (hold > 0 && countdown > 0) {
        if (hold <= countdown) {
            hold = 0;
            lamp.store(0, std::memory_order_relaxed);
        } else {
            hold -= countdown;
        }
    }
}

}  // namespace ampliro::dsp
