#include "app/media_loader.h"

#include "app/media_files.h"

namespace ampliro {

MediaLoader::MediaLoader(AmpPedal& amp, CabinetPedal& cabinet)
    : amp_(amp), cabinet_(cabinet), thread_([this] { Run(); }) {}

MediaLoader::~MediaLoader() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

bool MediaLoader::Request(const std::string& path, Outcome& outcome) {
    const MediaKind kind = MediaKindOf(path);
    if (kind == MediaKind::kNone) {
        outcome = {"Cannot Load File", FileNameOf(path) +
                                           " is neither an amp model (.nam, .json) nor an impulse "
                                           "response (.wav, .aif, .aiff, .flac)."};
        return false;
    }
    Job job;
    job.model = kind == MediaKind::kModel;
    job.path = path;
    const int32_t rate = (job.model ? static_cast<Effect&>(amp_) : cabinet_).sampleRate.load();
    job.rate = rate > 0 ? rate : 44100;
    {
        std::lock_guard<std::mutex> hold(lock_);
        todo_.push_back(std::move(job));
        ++working_;
    }
    wake_.notify_one();
    return true;
}

void MediaLoader::Run() {
    std::unique_lock<std::mutex> hold(lock_);
    for (;;) {
        wake_.wait(hold, [this] { return stop_ || !todo_.empty(); });
        if (stop_) return;
        Job job = std::move(todo_.front());
        todo_.pop_front();
        hold.unlock();
        if (ReadMediaFile(job.path, job.bytes, job.error)) {
            if (job.model) {
                const std::string_view text(reinterpret_cast<const char*>(job.bytes.data()),
                                            job.bytes.size());
                job.amp = amp_.BuildAmp(text, job.rate);
                job.error = job.amp.error;
            } else if (job.bytes.empty()) {
                job.error = "The impulse response file is empty.";
            } else {
                job.cabinet = CabinetPedal::BuildCabinet(job.bytes, job.rate);
                job.error = job.cabinet.error;
            }
        }
        hold.lock();
        done_.push_back(std::move(job));
    }
}

bool MediaLoader::Poll(Outcome& outcome) {
    std::deque<Job> finished;
    {
        std::lock_guard<std::mutex> hold(lock_);
        finished.swap(done_);
        working_ -= static_cast<int>(finished.size());
    }
    bool told = false;
    for (Job& job : finished) {
        const std::string name = FileNameOf(job.path);
        if (!job.error.empty()) {
            outcome = {job.model ? "Amp Model Not Loaded" : "Cabinet Not Loaded",
                       name + ": " + job.error};
            told = true;
        } else if (job.model) {
            std::string text(reinterpret_cast<const char*>(job.bytes.data()), job.bytes.size());
            amp_.Install(std::move(job.amp), std::move(text), job.path);
        } else {
            const std::string note = job.cabinet.note;
            cabinet_.Install(std::move(job.cabinet), std::move(job.bytes), job.path);
            if (!note.empty()) {
                outcome = {"Cabinet Loaded", name + ": " + note};
                told = true;
            }
        }
    }
    return told;
}

bool MediaLoader::Busy() {
    std::lock_guard<std::mutex> hold(lock_);
    return working_ > 0;
}

}  // namespace ampliro
