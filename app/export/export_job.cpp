#include "app/export/export_job.h"

#include <utility>

namespace ampliro {

ExportJob::ExportJob(std::filesystem::path recording, std::filesystem::path target,
                     std::function<void(int64_t done)> afterPiece)
    : recording_(std::move(recording)),
      target_(std::move(target)),
      progress_(std::move(afterPiece)),
      thread_([this] {
          result_ = ExportRecordingAsWav(recording_, target_, progress_);
          finished_.store(true, std::memory_order_release);
      }) {}

ExportJob::~ExportJob() {
    Cancel();
    if (thread_.joinable()) thread_.join();
}

int32_t ExportJob::Permille() const {
    const int64_t total = progress_.total.load(std::memory_order_relaxed);
    const int64_t done = progress_.done.load(std::memory_order_relaxed);
    if (total <= 0) return Finished() ? 1000 : 0;
    return static_cast<int32_t>(done * 1000 / total);
}

const ExportResult& ExportJob::Result() {
    if (thread_.joinable()) thread_.join();
    return result_;
}

}  // namespace ampliro
