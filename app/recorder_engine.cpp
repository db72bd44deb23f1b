#include "app/recorder_engine.h"

#include <algorithm>
#include <bit>
#include <system_error>

#include "effects/record_io.h"
#include "gfx/paths.h"

namespace ampliro {
namespace {

// Samples go to and from the file as they lie in memory.
static_assert(std::endian::native == std::endian::little);

int64_t VolumeFreeKilobytes(const std::filesystem::path& folder) {
    uint32_t total = 0;
    uint32_t free = 0;
    // A volume that cannot be measured is not reported as full.
    if (!DiskSpace(folder.c_str(), &total, &free)) return INT64_MAX;
    return free;
}

int32_t EvenOffset(int64_t offset) {
    return static_cast<int32_t>(std::clamp<int64_t>(offset, kRecordingHeaderBytes, INT32_MAX) & ~1);
}

}  // namespace

RecorderEngine::RecorderEngine()
    : buffer_(new int16_t[kBufferSamples]), freeSpace_(VolumeFreeKilobytes) {}

RecorderEngine::~RecorderEngine() {
    std::lock_guard<std::mutex> hold(fileLock_);
    if (file_) std::fclose(file_);
}

void RecorderEngine::ReadRecordingInfo() {
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(FilePath(), error);
    if (error) return;
    // A file shorter than its header holds no samples; an odd last byte is
    // half a sample and never played.
    const int32_t end = EvenOffset(static_cast<int64_t>(std::min<uintmax_t>(size, INT32_MAX)));
    dataEnd_.store(end, std::memory_order_relaxed);
    loopEnd_.store(end, std::memory_order_relaxed);
}

void RecorderEngine::CloseLocked() {
    state_.store(kRecorderStopped, std::memory_order_relaxed);
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

void RecorderEngine::StopRecorder() {
    std::lock_guard<std::mutex> hold(fileLock_);
    if (State() == kRecorderStopped) return;
    CloseLocked();
}

bool RecorderEngine::StartRecording(int32_t sampleRate) {
    std::lock_guard<std::mutex> hold(fileLock_);
    if (State() == kRecorderRecording) return true;
    CloseLocked();
    writeFailed_.store(0, std::memory_order_relaxed);
    std::FILE* file = std::fopen(FilePath().c_str(), "wb");
    if (!file) return false;
    // Unbuffered: every block reaches the file at once, so a full disk shows
    // as a short write of that very block.
    std::setvbuf(file, nullptr, _IONBF, 0);
    if (!WriteInt32(file, sampleRate)) {
        std::fclose(file);
        return false;
    }
    file_ = file;
    dataEnd_.store(kRecordingHeaderBytes, std::memory_order_relaxed);
    position_.store(kRecordingHeaderBytes, std::memory_order_relaxed);
    loopStart_.store(kRecordingHeaderBytes, std::memory_order_relaxed);
    loopEnd_.store(kRecordingHeaderBytes, std::memory_order_relaxed);
    state_.store(kRecorderRecording, std::memory_order_relaxed);
    return true;
}

bool RecorderEngine::StartPlayback(int32_t sampleRate) {
    std::lock_guard<std::mutex> hold(fileLock_);
    if (State() == kRecorderPlaying) return true;
    CloseLocked();
    std::FILE* file = std::fopen(FilePath().c_str(), "rb");
    if (!file) return false;
    int32_t recordedRate = 0;
    // A recording plays only at the rate it was made at.
    const int32_t start = LoopStart();
    if (!ReadInt32(file, recordedRate) || recordedRate != sampleRate ||
        std::fseek(file, start, SEEK_SET) != 0) {
        std::fclose(file);
        return false;
    }
    file_ = file;
    position_.store(start, std::memory_order_relaxed);
    state_.store(kRecorderPlaying, std::memory_order_relaxed);
    return true;
}

void RecorderEngine::TogglePause() {
    std::lock_guard<std::mutex> hold(fileLock_);
    if (State() != kRecorderPaused) {
        savedState_.store(State(), std::memory_order_relaxed);
        state_.store(kRecorderPaused, std::memory_order_relaxed);
    } else {
        state_.store(savedState_.load(std::memory_order_relaxed), std::memory_order_relaxed);
    }
}

void RecorderEngine::SeekTo(int32_t offset) {
    std::lock_guard<std::mutex> hold(fileLock_);
    const int32_t state = State();
    if (state != kRecorderStopped && state != kRecorderPaused) return;
    const int32_t even = EvenOffset(offset);
    position_.store(even, std::memory_order_relaxed);
    if (file_) std::fseek(file_, even, SEEK_SET);
}

bool RecorderEngine::StorageAlarm() {
    if (State() != kRecorderRecording && !WriteFailed()) return false;
    if (!WriteFailed() && freeSpace_(folder_) >= kStorageReserveKilobytes) return false;
    StopRecorder();
    return true;
}

void RecorderEngine::EngineStep(int16_t* samples, int32_t count) {
    // The main thread is opening, closing or moving the file: this block is
    // left alone rather than waited for. It only ever holds the lock while
    // the transport changes, so no block that belongs to a recording or a
    // playback is skipped.
    std::unique_lock<std::mutex> hold(fileLock_, std::try_to_lock);
    if (!hold.owns_lock() || !file_ || count <= 0) return;
    const int32_t state = State();
    if (state == kRecorderRecording) RecordBlock(samples, count);
    if (state == kRecorderPlaying) PlayBlock(samples, count);
}

void RecorderEngine::RecordBlock(const int16_t* samples, int32_t count) {
    const size_t written = std::fwrite(samples, sizeof(int16_t), static_cast<size_t>(count), file_);
    const int32_t end = Position() + static_cast<int32_t>(written * sizeof(int16_t));
    position_.store(end, std::memory_order_relaxed);
    dataEnd_.store(end, std::memory_order_relaxed);
    loopEnd_.store(end, std::memory_order_relaxed);
    if (written < static_cast<size_t>(count)) {
        CloseLocked();
        writeFailed_.store(1, std::memory_order_relaxed);
    }
}

void RecorderEngine::PlayBlock(int16_t* samples, int32_t count) {
    for (int32_t done = 0; done < count;) {
        const int32_t n = std::min(count - done, kBufferSamples);
        const int32_t position = Position();
        const int32_t loopEnd = LoopEnd();
        const size_t want = loopEnd < position
                                ? 0
                                : std::min<size_t>(n, static_cast<size_t>(loopEnd - position) / 2);
        size_t got = std::fread(buffer_.get(), sizeof(int16_t), want, file_);
        int32_t next = position + static_cast<int32_t>(got * sizeof(int16_t));
        if (got < static_cast<size_t>(n) && Repeat()) {
            // Wrap to the loop start inside this block, without a gap.
            const int32_t loopStart = LoopStart();
            size_t more = 0;
            if (std::fseek(file_, loopStart, SEEK_SET) == 0) {
                more = std::fread(buffer_.get() + got, sizeof(int16_t), n - got, file_);
            }
            got += more;
            next = loopStart + static_cast<int32_t>(more * sizeof(int16_t));
        }
        position_.store(next, std::memory_order_relaxed);
        int16_t* block = samples + done;
        for (size_t i = 0; i < got; ++i) {
            block[i] = static_cast<int16_t>(
                std::clamp(int32_t{block[i]} + buffer_[i], int32_t{-32768}, int32_t{32767}));
        }
        if (got < static_cast<size_t>(n)) {
            // The end of the stretch without repeat, or the end of the file.
            CloseLocked();
            return;
        }
        done += n;
    }
}

}  // namespace ampliro
