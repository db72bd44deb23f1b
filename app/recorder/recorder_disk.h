// RecorderDisk: the loop recorder's file work on a thread of its own. It
// writes what the audio thread put in the record ring to RECORD.DAT, and reads
// ahead into the play ring what the audio thread will play, following the
// loop points and Repeat block by block as the audio thread would. Every file
// operation happens under one mutex, which the main thread takes for the
// transport and the audio thread never touches.
#pragma once

#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>

#include "app/recorder/recorder_shared.h"
#include "platform/threads/wake_event.h"

namespace ampliro {

class RecorderDisk {
  public:
    explicit RecorderDisk(RecorderShared& shared);
    // Writes what is left of a recording, closes the file and ends the thread.
    ~RecorderDisk();
    RecorderDisk(const RecorderDisk&) = delete;
    RecorderDisk& operator=(const RecorderDisk&) = delete;

    // Main thread: keeps the disk thread out while the transport changes.
    std::unique_lock<std::mutex> Hold() { return std::unique_lock<std::mutex>(mutex_); }

    // With the hold, while the audio thread uses neither ring. The file is
    // positioned after its header; the disk thread owns it from now on.
    void BeginRecording(std::FILE* file);
    // The file is open for reading; playback starts at the offset from.
    void BeginPlayback(std::FILE* file, int32_t from);
    // Stopped or paused: the next sample written or played is at offset.
    void MoveTo(int32_t offset);
    // Writes what is left of a recording and closes whatever file is open.
    void Close();
    // What the disk thread does when woken: write what was recorded, read
    // ahead what will be played.
    void Service();

    // Any thread, the audio thread included.
    void Wake() { wake_.Post(); }

  private:
    void Run();
    void WriteRecorded();
    void ReadAhead();
    // One block as the audio thread would take it; false once the ring has
    // no room for it or the stretch has ended.
    bool ReadOneBlock();
    // Reads up to n samples from offset into the ring, n of them at most in
    // the free space; returns how many.
    int32_t ReadRun(int32_t offset, int32_t n, size_t& queued);
    void RestartRing(int32_t from);
    void PublishRecordedEnd();
    void FailRecording();

    // Samples read from the file in one piece.
    static constexpr int32_t kChunkSamples = 4096;
    // The read-ahead follows blocks at most this long.
    static constexpr int32_t kLongestBlock = 1 << 16;

    RecorderShared& shared_;
    std::mutex mutex_;

    // Recording: the file and the offset of the next sample written.
    std::FILE* recordFile_ = nullptr;
    int32_t recordAt_ = kRecordingHeaderBytes;
    bool recordFailed_ = false;

    // Playback: the file, its position, the next offset the read-ahead takes
    // and the run it reads for.
    std::FILE* playFile_ = nullptr;
    int32_t fileAt_ = 0;
    int32_t fillAt_ = kRecordingHeaderBytes;
    uint32_t fillRun_ = 0;
    bool stretchEnded_ = false;
    std::unique_ptr<int16_t[]> chunk_;

    WakeEvent wake_;
    std::atomic<bool> quit_{false};
    // Last, so that it starts after everything above is made.
    std::thread thread_;
};

}  // namespace ampliro
