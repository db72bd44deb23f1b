// The loop recorder's engine: records the processed instrument to
// "RECORD.DAT" block by block and plays it back, looping between two marks.
//
// RECORD.DAT holds the sample rate (32-bit little-endian) and then 16-bit
// mono samples up to the end of the file. Positions are byte offsets from
// the start of the file, always even, the first sample at 4.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>

#include "audio/pass_hooks.h"

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

class RecorderEngine : public RecorderHook {
  public:
    // Free space of the volume holding folder, in kilobytes.
    using FreeSpaceProbe = int64_t (*)(const std::filesystem::path& folder);

    RecorderEngine();
    ~RecorderEngine() override;
    RecorderEngine(const RecorderEngine&) = delete;
    RecorderEngine& operator=(const RecorderEngine&) = delete;

    // Main thread. The folder that holds RECORD.DAT (the program folder).
    void SetFolder(const std::filesystem::path& folder) { folder_ = folder; }
    const std::filesystem::path& Folder() const { return folder_; }
    std::filesystem::path FilePath() const { return folder_ / kRecordingFileName; }
    void SetFreeSpaceProbe(FreeSpaceProbe probe) { freeSpace_ = probe; }

    // Learns the length of an existing recording.
    void ReadRecordingInfo();
    // Each returns whether its button shows on afterwards.
    bool StartRecording(int32_t sampleRate);
    bool StartPlayback(int32_t sampleRate);
    void StopRecorder();
    void TogglePause();
    void SetRepeat(bool on) { repeat_.store(on ? 1 : 0, std::memory_order_relaxed); }
    void MarkLoopStart() { loopStart_.store(Position(), std::memory_order_relaxed); }
    void MarkLoopEnd() { loopEnd_.store(Position(), std::memory_order_relaxed); }
    // The position slider, released: acts only while stopped or paused.
    void SeekTo(int32_t offset);
    // Once a frame: true when a recording had to stop for lack of space.
    bool StorageAlarm();
    void ClearWriteFailed() { writeFailed_.store(0, std::memory_order_relaxed); }

    int32_t State() const { return state_.load(std::memory_order_relaxed); }
    int32_t Position() const { return position_.load(std::memory_order_relaxed); }
    int32_t DataEnd() const { return dataEnd_.load(std::memory_order_relaxed); }
    int32_t LoopStart() const { return loopStart_.load(std::memory_order_relaxed); }
    int32_t LoopEnd() const { return loopEnd_.load(std::memory_order_relaxed); }
    bool WriteFailed() const { return writeFailed_.load(std::memory_order_relaxed) != 0; }
    bool Repeat() const { return repeat_.load(std::memory_order_relaxed) != 0; }

    // Audio thread: records the block, or adds the recording into it.
    void EngineStep(int16_t* samples, int32_t count) override;

    // Samples read from the file per pass through the playback buffer.
    static constexpr int32_t kBufferSamples = 8192;

  private:
    void CloseLocked();
    void RecordBlock(const int16_t* samples, int32_t count);
    void PlayBlock(int16_t* samples, int32_t count);

    // The stream is touched only under fileLock_. The main thread takes it for
    // every transport change; the audio thread only tries it and leaves the
    // block alone when the main thread holds it, so it never waits.
    std::mutex fileLock_;
    std::FILE* file_ = nullptr;
    std::unique_ptr<int16_t[]> buffer_;
    std::filesystem::path folder_ = ".";
    FreeSpaceProbe freeSpace_;

    std::atomic<int32_t> state_{kRecorderStopped};
    std::atomic<int32_t> savedState_{kRecorderStopped};
    std::atomic<int32_t> writeFailed_{0};
    std::atomic<int32_t> repeat_{0};
    std::atomic<int32_t> dataEnd_{kRecordingHeaderBytes};
    std::atomic<int32_t> position_{kRecordingHeaderBytes};
    std::atomic<int32_t> loopStart_{kRecordingHeaderBytes};
    std::atomic<int32_t> loopEnd_{kRecordingHeaderBytes};
};

}  // namespace ampliro
