#include "platform/audio/scripted/scripted_audio.h"

#include <algorithm>
#include <cstring>

#include "platform/audio/output_volume.h"
#include "platform/midi/midi_inbox.h"

namespace ampliro {

class ScriptedAudio::In final : public WaveIn {
  public:
    explicit In(ScriptedAudio& owner) : owner_(owner) {}
    ~In() override { Close(); }

    int32_t Prepare(WaveHeader* header) override {
        return owner_.Prepare(header, owner_.capturePrepares_, owner_.failures_.capturePrepareAt);
    }
    int32_t AddBuffer(WaveHeader* header) override {
        std::lock_guard<std::mutex> lock(owner_.mutex_);
        if (!owner_.captureOpen_) return kWaveBadDevice;
        if (owner_.captureAdds_++ == owner_.failures_.captureAddAt) return kWaveError;
        return QueueHeader(owner_.captureQueued_, header, true);
    }
    int32_t Start() override {
        std::lock_guard<std::mutex> lock(owner_.mutex_);
        if (owner_.failures_.captureStart) return kWaveError;
        owner_.captureStarted_ = true;
        return kWaveOk;
    }
    int32_t Reset() override {
        std::lock_guard<std::mutex> lock(owner_.mutex_);
        owner_.captureStarted_ = false;
        while (WaveHeader* header = owner_.captureQueued_.Pop()) {
            header->bytesRecorded.store(std::min(owner_.resetRecordedBytes_, header->bufferLength),
                                        std::memory_order_relaxed);
            owner_.ReturnCapture(header);
        }
        return kWaveOk;
    }
    int32_t Close() override {
        std::lock_guard<std::mutex> lock(owner_.mutex_);
        owner_.captureOpen_ = false;
        owner_.captureStarted_ = false;
        return kWaveOk;
    }

  private:
    ScriptedAudio& owner_;
};

class ScriptedAudio::Out final : public WaveOut {
  public:
    explicit Out(ScriptedAudio& owner) : owner_(owner) {}
    ~Out() override { Close(); }

    int32_t Prepare(WaveHeader* header) override {
        return owner_.Prepare(header, owner_.playbackPrepares_, owner_.failures_.playbackPrepareAt);
    }
    int32_t Write(WaveHeader* header) override {
        std::lock_guard<std::mutex> lock(owner_.mutex_);
        if (!owner_.playbackOpen_) return kWaveBadDevice;
        return QueueHeader(owner_.playbackQueued_, header, false);
    }
    int32_t Reset() override {
        std::lock_guard<std::mutex> lock(owner_.mutex_);
        while (WaveHeader* header = owner_.playbackQueued_.Pop()) {
            FinishQueuedHeader(header);
            owner_.playbackQueue_->Post(MM_WOM_DONE, 0, reinterpret_cast<uintptr_t>(header));
        }
        return kWaveOk;
    }
    int32_t Close() override {
        std::lock_guard<std::mutex> lock(owner_.mutex_);
        owner_.playbackOpen_ = false;
        return kWaveOk;
    }

  private:
    ScriptedAudio& owner_;
};

ScriptedAudio::ScriptedAudio() = default;
ScriptedAudio::~ScriptedAudio() = default;

void ScriptedAudio::SetFailures(const Failures& failures) {
    std::lock_guard<std::mutex> lock(mutex_);
    failures_ = failures;
}

void ScriptedAudio::SetResetRecordedBytes(uint32_t bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    resetRecordedBytes_ = bytes;
}

int32_t ScriptedAudio::Prepare(WaveHeader* header, int32_t& calls, int32_t failAt) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (calls++ == failAt) return kWaveError;
    return PrepareWaveHeader(header);
}

void ScriptedAudio::ReturnCapture(WaveHeader* header) {
    FinishQueuedHeader(header);
    captureQueue_->Post(MM_WIM_DATA, 0, reinterpret_cast<uintptr_t>(header));
}

bool ScriptedAudio::Capture(const std::vector<int16_t>& samples) {
    std::lock_guard<std::mutex> lock(mutex_);
    WaveHeader* header = captureQueued_.Pop();
    if (header == nullptr) return false;
    const uint32_t bytes =
        std::min<uint32_t>(header->bufferLength, static_cast<uint32_t>(samples.size() * 2));
    if (bytes > 0) std::memcpy(header->data, samples.data(), bytes);
    header->bytesRecorded.store(bytes, std::memory_order_relaxed);
    ReturnCapture(header);
    return true;
}

bool ScriptedAudio::CaptureBytes(uint32_t bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    WaveHeader* header = captureQueued_.Pop();
    if (header == nullptr) return false;
    header->bytesRecorded.store(bytes, std::memory_order_relaxed);
    ReturnCapture(header);
    return true;
}

bool ScriptedAudio::CompletePlayback() {
    std::lock_guard<std::mutex> lock(mutex_);
    WaveHeader* header = playbackQueued_.Pop();
    if (header == nullptr) return false;
    const size_t count = header->bufferLength / 2;
    const size_t start = played_.size();
    played_.resize(start + count);
    std::memcpy(played_.data() + start, header->data, count * 2);
    ApplyOutputVolume(played_.data() + start, played_.data() + start, count, ReadOutputVolume());
    FinishQueuedHeader(header);
    playbackQueue_->Post(MM_WOM_DONE, 0, reinterpret_cast<uintptr_t>(header));
    return true;
}

std::vector<const WaveHeader*> ScriptedAudio::QueuedPlayback() {
    std::lock_guard<std::mutex> lock(mutex_);
    HeaderRing copy = playbackQueued_;
    std::vector<const WaveHeader*> headers;
    while (const WaveHeader* header = copy.Pop()) headers.push_back(header);
    return headers;
}

int32_t ScriptedAudio::OpenCapture(const WaveFormat& format, ThreadQueue& notify,
                                   std::unique_ptr<WaveIn>& device) {
    std::lock_guard<std::mutex> lock(mutex_);
    ++captureOpens_;
    lastFormat_ = format;
    if (failures_.captureOpen) return kWaveBadDevice;
    captureQueue_ = &notify;
    captureOpen_ = true;
    capturePrepares_ = 0;
    captureAdds_ = 0;
    captureQueued_ = HeaderRing();
    device = std::make_unique<In>(*this);
    return kWaveOk;
}

int32_t ScriptedAudio::OpenPlayback(const WaveFormat& format, ThreadQueue& notify,
                                    std::unique_ptr<WaveOut>& device) {
    std::lock_guard<std::mutex> lock(mutex_);
    lastFormat_ = format;
    if (failures_.playbackOpen) return kWaveBadDevice;
    playbackQueue_ = &notify;
    playbackOpen_ = true;
    playbackPrepares_ = 0;
    playbackQueued_ = HeaderRing();
    device = std::make_unique<Out>(*this);
    return kWaveOk;
}

void ScriptedAudio::SetMidiInbox(MidiInbox* inbox) {
    std::lock_guard<std::mutex> lock(mutex_);
    midiInbox_ = inbox;
}

bool ScriptedAudio::SendMidi(const std::vector<uint8_t>& event) {
    std::lock_guard<std::mutex> lock(mutex_);
    return midiInbox_ != nullptr && midiInbox_->Post(event.data(), event.size());
}

}  // namespace ampliro
