// What the live audio path reports about itself while it runs: the blocks it
// lost, the device's under-runs, how long each processing pass took against
// the time its block lasts, and the latency the back end and the buffers add.
// Written by the audio side (the stream's thread, a device callback, a JACK
// process callback) with relaxed atomic stores and read by the main thread
// for the overload watchdog and the dropout and latency figures the user sees.
#pragma once

#include <atomic>
#include <cstdint>

namespace ampliro {

struct AudioHealth {
    // Since the last Reset (power-on):
    // captured blocks lost: no free playback buffer, no queued capture buffer
    // when the device had input, or trimmed from a queue that grew too long.
    std::atomic<uint32_t> droppedBlocks{0};
    // Times the playback device had nothing to play (it played silence or
    // repeated a block) after playback had begun, and the server's xruns.
    std::atomic<uint32_t> underruns{0};
    // Processing passes run, and those that took longer than their block lasts.
    std::atomic<uint32_t> passes{0};
    std::atomic<uint32_t> slowPasses{0};
    // Running sums, in microseconds, of the time the passes took and of the
    // time their blocks last; they wrap, so readers take differences. Their
    // ratio over an interval is the audio thread's load: above 1 it cannot
    // keep up.
    std::atomic<uint32_t> busyMicros{0};
    std::atomic<uint32_t> blockMicros{0};
    // The start of the pass in progress, in microseconds of the monotonic
    // clock (low 32 bits); 0 while no pass runs. A pass that never ends shows
    // up here, not in the counters.
    std::atomic<uint32_t> passStartMicros{0};
    // Frames of latency the back end adds beyond the stream's own block:
    // device buffers, the playback cushion, the server's periods. Set by the
    // back end when it opens (and when it learns better).
    std::atomic<uint32_t> deviceLatencyFrames{0};
    // The block the server sets (a JACK period), in frames, while it sets
    // one; 0 when the stream's buffer size is the block.
    std::atomic<uint32_t> serverBlockFrames{0};

    void Reset();
    // One dropout a user hears: a lost block or an under-run.
    uint32_t Dropouts() const;
};

AudioHealth& StreamHealth();

// Microseconds of the monotonic clock, low 32 bits (wraps after 71 minutes;
// differences in unsigned arithmetic stay right across the wrap).
uint32_t MonotonicMicros();

}  // namespace ampliro
