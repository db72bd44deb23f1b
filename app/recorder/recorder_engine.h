// The loop recorder's engine: records the processed instrument to
// "RECORD.DAT" and plays it back, looping between two marks.
//
// RECORD.DAT holds the sample rate (32-bit little-endian) and then 16-bit
// mono samples up to the end of the file. Positions are byte offsets from
// the start of the file, always even, the first sample at 4.
//
// Three threads take part. The main thread runs the transport and opens the
// file; the audio thread only copies each block into the record ring or adds
// the play ring into it; the disk thread (RecorderDisk) moves the rings'
// samples to and from the file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "app/recorder/recorder_disk.h"
#include "app/recorder/recorder_shared.h"
#include "audio/pass_hooks.h"

namespace ampliro {

class RecorderEngine : public RecorderHook {
  public:
    // Free space of the volume holding folder, in kilobytes.
    using FreeSpaceProbe = int64_t (*)(const std::filesystem::path& folder);

    RecorderEngine();
    ~RecorderEngine() override = default;
    RecorderEngine(const RecorderEngine&) = delete;
    RecorderEngine& operator=(const RecorderEngine&) = delete;

    // Main thread. The folder that holds RECORD.DAT (the program folder).
    void SetFolder(const std::filesystem::path& folder) { folder_ = folder; }
    const std::filesystem::path& Folder() const { return folder_; }
    std::filesystem::path FilePath() const { return folder_ / kRecordingFileName; }
    void SetFreeSpaceProbe(FreeSpaceProbe probe) { freeSpace_ = probe; }

    // Learns the length of an existing recording.
    void ReadRecordingInfo();
    // Each returns whether its button shows on afterwards. When the file
    // cannot be made, problem says why.
    bool StartRecording(int32_t sampleRate, std::string* problem = nullptr);
    // When the recording was made at another rate, recordedRate tells which.
    bool StartPlayback(int32_t sampleRate, int32_t* recordedRate = nullptr);
    void StopRecorder();
    void TogglePause();
    void SetRepeat(bool on);
    void MarkLoopStart();
    void MarkLoopEnd();
    // The position slider, released: acts only while stopped or paused.
    void SeekTo(int32_t offset);
    // Once a frame: true when a recording had to stop for lack of space.
    bool StorageAlarm();
    void ClearWriteFailed() { shared_.writeFailed.store(0, std::memory_order_relaxed); }
    // Does at once what the disk thread does when next woken: writes what
    // was recorded and reads ahead what will be played.
    void FlushDisk();

    int32_t State() const { return shared_.state.load(std::memory_order_relaxed); }
    int32_t Position() const { return shared_.position.load(std::memory_order_relaxed); }
    int32_t DataEnd() const { return shared_.dataEnd.load(std::memory_order_relaxed); }
    int32_t LoopStart() const { return shared_.loopStart.load(std::memory_order_relaxed); }
    int32_t LoopEnd() const { return shared_.loopEnd.load(std::memory_order_relaxed); }
    bool WriteFailed() const { return shared_.writeFailed.load(std::memory_order_relaxed) != 0; }
    bool Repeat() const { return shared_.repeat.load(std::memory_order_relaxed) != 0; }
    // The rate the take in RECORD.DAT was made at, 0 while none is known.
    int32_t TakeRate() const { return takeRate_; }
    // Recording, or paused in the middle of a recording: RECORD.DAT is
    // still growing.
    bool TakeInProgress() const {
        const int32_t state = State();
        return state == kRecorderRecording ||
               (state == kRecorderPaused && savedState_ == kRecorderRecording);
    }

    // Audio thread: copies the block into the record ring, or adds the play
    // ring into it. Never waits, allocates or touches the file.
    void EngineStep(int16_t* samples, int32_t count) override;

  private:
    // With the disk held: stops, then waits until no block is in EngineStep,
    // so that neither ring is in use by the audio thread.
    void StopHeld();
    void WaitForAudioStep() const;
    // Main thread: the read-ahead no longer fits the loop points or Repeat.
    void ReplanPlayback();
    void RecordBlock(const int16_t* samples, int32_t count);
    void PlayBlock(int16_t* samples, int32_t count, bool newBlockLength);

    RecorderShared shared_;
    std::filesystem::path folder_ = ".";
    FreeSpaceProbe freeSpace_;
    // Main thread only: the state in force before Pause.
    int32_t savedState_ = kRecorderStopped;
    // Main thread only.
    int32_t takeRate_ = 0;
    // Raised by the audio thread for the length of EngineStep.
    std::atomic<int32_t> stepInProgress_{0};
    // Last, so that the disk thread ends before the rings go.
    RecorderDisk disk_;
};

}  // namespace ampliro
