#include "app/recorder/recorder_engine.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <thread>

#include "effects/record_io.h"
#include "platform/files/paths.h"

namespace ampliro {
namespace {

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

RecorderEngine::RecorderEngine() : freeSpace_(VolumeFreeKilobytes), disk_(shared_) {}

void RecorderEngine::ReadRecordingInfo() {
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(FilePath(), error);
    if (error) return;
    if (std::FILE* file = std::fopen(FilePath().c_str(), "rb")) {
        if (!ReadInt32(file, takeRate_)) takeRate_ = 0;
        std::fclose(file);
    }
    // A file shorter than its header holds no samples; an odd last byte is
    // half a sample and never played.
    const int32_t end = EvenOffset(static_cast<int64_t>(std::min<uintmax_t>(size, INT32_MAX)));
    shared_.dataEnd.store(end, std::memory_order_relaxed);
    shared_.loopEnd.store(end, std::memory_order_relaxed);
}

void RecorderEngine::WaitForAudioStep() const {
    while (stepInProgress_.load(std::memory_order_seq_cst) != 0) std::this_thread::yield();
}

void RecorderEngine::StopHeld() {
    shared_.state.store(kRecorderStopped, std::memory_order_seq_cst);
    WaitForAudioStep();
    disk_.Close();
}

void RecorderEngine::StopRecorder() {
    auto hold = disk_.Hold();
    StopHeld();
}

bool RecorderEngine::StartRecording(int32_t sampleRate, std::string* problem) {
    auto hold = disk_.Hold();
    if (State() == kRecorderRecording) return true;
    StopHeld();
    shared_.writeFailed.store(0, std::memory_order_relaxed);
    std::FILE* file = std::fopen(FilePath().c_str(), "wb");
    if (!file) {
        if (problem) *problem = std::strerror(errno);
        return false;
    }
    std::setvbuf(file, nullptr, _IONBF, 0);
    if (!WriteInt32(file, sampleRate)) {
        if (problem) *problem = std::strerror(errno);
        std::fclose(file);
        return false;
    }
    disk_.BeginRecording(file);
    takeRate_ = sampleRate;
    shared_.dataEnd.store(kRecordingHeaderBytes, std::memory_order_relaxed);
    shared_.position.store(kRecordingHeaderBytes, std::memory_order_relaxed);
    shared_.loopStart.store(kRecordingHeaderBytes, std::memory_order_relaxed);
    shared_.loopEnd.store(kRecordingHeaderBytes, std::memory_order_relaxed);
    shared_.state.store(kRecorderRecording, std::memory_order_seq_cst);
    return true;
}

bool RecorderEngine::StartPlayback(int32_t sampleRate, int32_t* recordedRate) {
    auto hold = disk_.Hold();
    if (State() == kRecorderPlaying) return true;
    StopHeld();
    std::FILE* file = std::fopen(FilePath().c_str(), "rb");
    if (!file) return false;
    int32_t rate = 0;
    // A recording plays only at the rate it was made at.
    const bool rateRead = ReadInt32(file, rate);
    if (rateRead) takeRate_ = rate;
    if (!rateRead || rate != sampleRate) {
        if (recordedRate && rate != sampleRate) *recordedRate = rate;
        std::fclose(file);
        return false;
    }
    const int32_t start = LoopStart();
    disk_.BeginPlayback(file, start);
    shared_.position.store(start, std::memory_order_relaxed);
    disk_.Service();
    shared_.state.store(kRecorderPlaying, std::memory_order_seq_cst);
    return true;
}

void RecorderEngine::TogglePause() {
    // The audio and disk threads may stop a take meanwhile; the exchange
    // makes sure a state they set is not overwritten.
    int32_t state = State();
    int32_t next = kRecorderStopped;
    do {
        next = state == kRecorderPaused ? savedState_ : kRecorderPaused;
    } while (!shared_.state.compare_exchange_weak(state, next, std::memory_order_seq_cst));
    if (next == kRecorderPaused) savedState_ = state;
}

void RecorderEngine::ReplanPlayback() {
    shared_.wantedRun.fetch_add(1, std::memory_order_release);
    disk_.Wake();
}

void RecorderEngine::SetRepeat(bool on) {
    shared_.repeat.store(on ? 1 : 0, std::memory_order_relaxed);
    ReplanPlayback();
}

void RecorderEngine::MarkLoopStart() {
    shared_.loopStart.store(Position(), std::memory_order_relaxed);
    ReplanPlayback();
}

void RecorderEngine::MarkLoopEnd() {
    shared_.loopEnd.store(Position(), std::memory_order_relaxed);
    ReplanPlayback();
}

void RecorderEngine::SeekTo(int32_t offset) {
    auto hold = disk_.Hold();
    const int32_t state = State();
    if (state != kRecorderStopped && state != kRecorderPaused) return;
    // A block begun before the pause may still be using the rings.
    WaitForAudioStep();
    const int32_t even = EvenOffset(offset);
    disk_.MoveTo(even);
    shared_.position.store(even, std::memory_order_relaxed);
}

bool RecorderEngine::StorageAlarm() {
    if (State() != kRecorderRecording && !WriteFailed()) return false;
    if (!WriteFailed() && freeSpace_(folder_) >= kStorageReserveKilobytes) return false;
    StopRecorder();
    return true;
}

void RecorderEngine::FlushDisk() {
    auto hold = disk_.Hold();
    disk_.Service();
}

void RecorderEngine::EngineStep(int16_t* samples, int32_t count) {
    // Raised before the state is read, and the main thread changes the state
    // before it waits for this to drop (both sequentially consistent): a
    // block either sees the new state or is waited for.
    stepInProgress_.store(1, std::memory_order_seq_cst);
    const bool newBlockLength =
        count > 0 && shared_.blockLength.exchange(count, std::memory_order_relaxed) != count;
    const int32_t state = shared_.state.load(std::memory_order_seq_cst);
    if (count > 0 && state == kRecorderRecording) RecordBlock(samples, count);
    if (count > 0 && state == kRecorderPlaying) PlayBlock(samples, count, newBlockLength);
    stepInProgress_.store(0, std::memory_order_seq_cst);
}

void RecorderEngine::RecordBlock(const int16_t* samples, int32_t count) {
    if (!shared_.recordRing.PushAll(samples, static_cast<size_t>(count))) {
        // The disk has taken nothing for seconds: the take cannot go on
        // without a gap, so it stops as on a full disk.
        shared_.writeFailed.store(1, std::memory_order_relaxed);
        int32_t recording = kRecorderRecording;
        shared_.state.compare_exchange_strong(recording, kRecorderStopped,
                                              std::memory_order_seq_cst);
    }
    disk_.Wake();
}

void RecorderEngine::PlayBlock(int16_t* samples, int32_t count, bool newBlockLength) {
    SpscRing<PlaybackSlot>& ring = shared_.playRing;
    const uint32_t heard = shared_.heardRun.load(std::memory_order_relaxed);
    const uint16_t heardTag = static_cast<uint16_t>(heard);
    int32_t position = Position();
    bool ended = false;
    const size_t available = ring.Available();
    size_t used = 0;
    int32_t filled = 0;
    while (filled < count && used < available) {
        const PlaybackSlot& slot = ring.At(used++);
        if (slot.run != heardTag) continue;  // read ahead for a plan given up
        if (slot.offset == kEndOfStretch) {
            ended = true;
            break;
        }
        samples[filled] = static_cast<int16_t>(
            std::clamp(int32_t{samples[filled]} + slot.sample, int32_t{-32768}, int32_t{32767}));
        ++filled;
        position = slot.offset + 2;
    }
    ring.Consume(used);
    shared_.position.store(position, std::memory_order_relaxed);
    if (ended) {
        int32_t playing = kRecorderPlaying;
        shared_.state.compare_exchange_strong(playing, kRecorderStopped, std::memory_order_seq_cst);
        return;
    }
    // The read-ahead was planned for other loop points or another block
    // length: from the next block on, the disk thread reads anew from here.
    uint32_t wanted = shared_.wantedRun.load(std::memory_order_acquire);
    if (newBlockLength && wanted == heard) {
        wanted = shared_.wantedRun.fetch_add(1, std::memory_order_acq_rel) + 1;
    }
    if (wanted != heard) {
        // What is left in the ring was read for the old plan: dropped here,
        // it leaves the new run the whole ring, where it would otherwise
        // take the room the next block's samples need. It goes before the
        // new run is confirmed, so none of the new run can be among it.
        ring.Consume(ring.Available());
        shared_.resumePosition.store(position, std::memory_order_relaxed);
        shared_.resumeRun.store(wanted, std::memory_order_release);
        shared_.heardRun.store(wanted, std::memory_order_relaxed);
    }
    disk_.Wake();
}

}  // namespace ampliro
