// One WAV export on a thread of its own, so that the main thread keeps
// drawing its progress and answering the user; the audio thread never takes
// part.
#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <thread>

#include "app/export/wav_export.h"

namespace ampliro {

class ExportJob {
  public:
    // afterPiece, when given, is called on the job's thread after each piece
    // written, with the samples done so far.
    ExportJob(std::filesystem::path recording, std::filesystem::path target,
              std::function<void(int64_t done)> afterPiece = {});
    // Cancels and waits: nothing is left half-written.
    ~ExportJob();
    ExportJob(const ExportJob&) = delete;
    ExportJob& operator=(const ExportJob&) = delete;

    bool Finished() const { return finished_.load(std::memory_order_acquire); }
    // 0..1000 of the samples written.
    int32_t Permille() const;
    void Cancel() { progress_.cancel.store(true, std::memory_order_relaxed); }
    bool CancelAsked() const { return progress_.cancel.load(std::memory_order_relaxed); }
    // Waits for the end and gives the result.
    const ExportResult& Result();
    const std::filesystem::path& Target() const { return target_; }

  private:
    std::filesystem::path recording_;
    std::filesystem::path target_;
    ExportProgress progress_;
    ExportResult result_;
    std::atomic<bool> finished_{false};
    // Last, so that it starts after everything above is made.
    std::thread thread_;
};

}  // namespace ampliro
