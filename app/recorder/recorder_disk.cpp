#include "app/recorder/recorder_disk.h"

#include <algorithm>
#include <bit>

#include "platform/threads/thread.h"

namespace ampliro {
namespace {

// Samples go to and from the file as they lie in memory.
static_assert(std::endian::native == std::endian::little);

// The disk thread looks at the rings at least this often even when nobody
// wakes it; the audio thread wakes it after every block.
constexpr uint32_t kIdleWakeMilliseconds = 100;

}  // namespace

RecorderDisk::RecorderDisk(RecorderShared& shared)
    : shared_(shared), chunk_(new int16_t[kChunkSamples]), thread_([this] { Run(); }) {}

RecorderDisk::~RecorderDisk() {
    quit_.store(true, std::memory_order_relaxed);
    wake_.Post();
    thread_.join();
    std::lock_guard<std::mutex> hold(mutex_);
    Close();
}

void RecorderDisk::Run() {
    NameCurrentThread("ampliro-disk");
    while (!quit_.load(std::memory_order_relaxed)) {
        wake_.WaitFor(kIdleWakeMilliseconds);
        std::lock_guard<std::mutex> hold(mutex_);
        Service();
    }
}

void RecorderDisk::BeginRecording(std::FILE* file) {
    Close();
    shared_.recordRing.Reset();
    recordFile_ = file;
    recordAt_ = kRecordingHeaderBytes;
    recordFailed_ = false;
}

void RecorderDisk::BeginPlayback(std::FILE* file, int32_t from) {
    Close();
    playFile_ = file;
    fileAt_ = kRecordingHeaderBytes;
    RestartRing(from);
}

void RecorderDisk::MoveTo(int32_t offset) {
    if (recordFile_) {
        // Whatever was recorded before the pause goes where it belongs first.
        WriteRecorded();
        if (!recordFailed_ && std::fseek(recordFile_, offset, SEEK_SET) == 0) recordAt_ = offset;
        PublishRecordedEnd();
    }
    if (playFile_) RestartRing(offset);
}

// A fresh run from offset from: what was read ahead is forgotten, and the
// audio thread plays the new run from its next block.
void RecorderDisk::RestartRing(int32_t from) {
    shared_.playRing.Reset();
    const uint32_t run = shared_.wantedRun.fetch_add(1, std::memory_order_relaxed) + 1;
    shared_.resumePosition.store(from, std::memory_order_relaxed);
    shared_.resumeRun.store(run, std::memory_order_release);
    shared_.heardRun.store(run, std::memory_order_relaxed);
    fillRun_ = run;
    fillAt_ = from;
    stretchEnded_ = false;
}

void RecorderDisk::Close() {
    if (recordFile_) {
        WriteRecorded();
        if (std::fclose(recordFile_) != 0 && !recordFailed_) FailRecording();
        recordFile_ = nullptr;
        PublishRecordedEnd();
    }
    if (playFile_) std::fclose(playFile_);
    playFile_ = nullptr;
}

void RecorderDisk::Service() {
    if (recordFile_) WriteRecorded();
    if (playFile_) ReadAhead();
}

void RecorderDisk::PublishRecordedEnd() {
    shared_.dataEnd.store(recordAt_, std::memory_order_relaxed);
    shared_.position.store(recordAt_, std::memory_order_relaxed);
    shared_.loopEnd.store(recordAt_, std::memory_order_relaxed);
}

void RecorderDisk::FailRecording() {
    recordFailed_ = true;
    shared_.writeFailed.store(1, std::memory_order_relaxed);
    int32_t recording = kRecorderRecording;
    shared_.state.compare_exchange_strong(recording, kRecorderStopped, std::memory_order_seq_cst);
}

// The file is unbuffered, so every write reaches the system at once: a kill
// of the program loses only what waits in the ring, and a full disk shows as
// a short write of the very samples that did not fit.
void RecorderDisk::WriteRecorded() {
    SpscRing<int16_t>& ring = shared_.recordRing;
    size_t available = ring.Available();
    if (available == 0) return;
    if (recordFailed_) {
        ring.Consume(available);
        return;
    }
    while (available > 0) {
        const size_t piece = ring.Contiguous(available);
        const size_t written = std::fwrite(&ring.At(0), sizeof(int16_t), piece, recordFile_);
        ring.Consume(written);
        recordAt_ += static_cast<int32_t>(written * sizeof(int16_t));
        available -= written;
        if (written < piece) {
            FailRecording();
            ring.Consume(available);
            break;
        }
    }
    PublishRecordedEnd();
}

// The runs are looked at again before every block: the audio thread may
// change plans while the ring fills, and a ring filled for a plan given up
// would leave the new one no room.
void RecorderDisk::ReadAhead() {
    for (;;) {
        const uint32_t confirmed = shared_.resumeRun.load(std::memory_order_acquire);
        if (confirmed != fillRun_) {
            fillRun_ = confirmed;
            fillAt_ = shared_.resumePosition.load(std::memory_order_relaxed);
            stretchEnded_ = false;
        }
        // A change the audio thread has not confirmed yet: whatever is read
        // now would be dropped.
        if (shared_.wantedRun.load(std::memory_order_relaxed) != fillRun_) return;
        if (stretchEnded_ || !ReadOneBlock()) return;
    }
}

// Exactly what playing one block straight from the file would take: up to the
// loop end, then with Repeat on from the loop start for the rest of the
// block; a block that comes up short ends the stretch.
bool RecorderDisk::ReadOneBlock() {
    const int32_t block =
        std::clamp(shared_.blockLength.load(std::memory_order_relaxed), 1, kLongestBlock);
    SpscRing<PlaybackSlot>& ring = shared_.playRing;
    if (ring.Space() < static_cast<size_t>(block) + 1) return false;
    const int32_t loopEnd = shared_.loopEnd.load(std::memory_order_relaxed);
    const int32_t want = loopEnd < fillAt_ ? 0 : std::min(block, (loopEnd - fillAt_) / 2);
    size_t queued = 0;
    int32_t got = ReadRun(fillAt_, want, queued);
    int32_t next = fillAt_ + 2 * got;
    if (got < block && shared_.repeat.load(std::memory_order_relaxed) != 0) {
        const int32_t loopStart = shared_.loopStart.load(std::memory_order_relaxed);
        const int32_t more = ReadRun(loopStart, block - got, queued);
        got += more;
        next = loopStart + 2 * more;
    }
    if (got < block) {
        ring.Ahead(queued++) = {kEndOfStretch, 0, static_cast<uint16_t>(fillRun_)};
        stretchEnded_ = true;
    }
    ring.Commit(queued);
    fillAt_ = next;
    return true;
}

int32_t RecorderDisk::ReadRun(int32_t offset, int32_t n, size_t& queued) {
    if (n <= 0) return 0;
    if (fileAt_ != offset) {
        if (std::fseek(playFile_, offset, SEEK_SET) != 0) return 0;
        fileAt_ = offset;
    }
    SpscRing<PlaybackSlot>& ring = shared_.playRing;
    const uint16_t run = static_cast<uint16_t>(fillRun_);
    int32_t done = 0;
    while (done < n) {
        const size_t asked = static_cast<size_t>(std::min(n - done, kChunkSamples));
        const size_t got = std::fread(chunk_.get(), sizeof(int16_t), asked, playFile_);
        for (size_t i = 0; i < got; ++i) {
            ring.Ahead(queued++) = {fileAt_, chunk_[i], run};
            fileAt_ += 2;
        }
        done += static_cast<int32_t>(got);
        if (got < asked) {
            // The end of the file: a later read starts with a seek again.
            fileAt_ = -1;
            break;
        }
    }
    return done;
}

}  // namespace ampliro
