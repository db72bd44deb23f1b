// What the loop recorder's three threads share: the main thread (the
// transport), the audio thread (copies blocks to and from the rings) and the
// disk thread (moves the rings' contents to and from RECORD.DAT).
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/threads/spsc_ring.h"

namespace ampliro {

inline constexpr const char* kRecordingFileName = "RECORD.DAT";
inline constexpr int32_t kRecordingHeaderBytes = 4;
// Below this many kilobytes free a recording stops.
inline constexpr int64_t kStorageReserveKilobytes = 1000;

enum RecorderState : int32_t {
    kRecorderStopped = 0,
    kRecorderPlaying = 1,
    kRecorderPaused = 2,
    kRecorderRecording = 3,
};

// One sample on its way to playback, with the file offset it was read from
// (so the audio thread knows where it is) and the run it belongs to. An
// offset of kEndOfStretch marks the end of the stretch instead of a sample.
struct PlaybackSlot {
    int32_t offset;
    int16_t sample;
    uint16_t run;
};
inline constexpr int32_t kEndOfStretch = -1;

// 2^18 samples: 2.7 seconds at 96000 Hz, more at every lower rate.
inline constexpr size_t kRecorderRingSamples = size_t{1} << 18;

struct RecorderShared {
    RecorderShared() : recordRing(kRecorderRingSamples), playRing(kRecorderRingSamples) {}

    // Transitions: the main thread any; the audio thread playing -> stopped at
    // the end of the stretch and recording -> stopped when the ring is full;
    // the disk thread recording -> stopped on a failed write.
    std::atomic<int32_t> state{kRecorderStopped};
    std::atomic<int32_t> writeFailed{0};
    std::atomic<int32_t> repeat{0};
    std::atomic<int32_t> dataEnd{kRecordingHeaderBytes};
    std::atomic<int32_t> position{kRecordingHeaderBytes};
    std::atomic<int32_t> loopStart{kRecordingHeaderBytes};
    std::atomic<int32_t> loopEnd{kRecordingHeaderBytes};

    // Audio -> disk: the blocks being recorded.
    SpscRing<int16_t> recordRing;
    // Disk -> audio: the samples about to be played, read ahead.
    SpscRing<PlaybackSlot> playRing;

    // The read-ahead is a prediction made with the loop points, Repeat and
    // the block length as they were. When one of them changes, wantedRun
    // counts up; the audio thread, at the end of its next block, names the
    // position it has reached in resumePosition and confirms the run in
    // resumeRun; the disk thread then reads on from there under the new run,
    // and the audio thread drops whatever is left of the old one.
    std::atomic<uint32_t> wantedRun{0};
    std::atomic<uint32_t> resumeRun{0};
    std::atomic<int32_t> resumePosition{kRecordingHeaderBytes};
    // The run the audio thread plays (written by the main thread only while
    // the audio thread does not play).
    std::atomic<uint32_t> heardRun{0};
    // The audio thread's block length, which the read-ahead follows block by
    // block.
    std::atomic<int32_t> blockLength{512};
};

}  // namespace ampliro
