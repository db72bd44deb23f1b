#include "audio/stream.h"

#include <cstring>
#include <memory>
#include <thread>

#include "audio/tuner_tap.h"
#include "platform/audio/audio_health.h"
#include "platform/audio/live_audio.h"
#include "platform/audio/wave_device.h"
#include "platform/threads/thread.h"
#include "platform/window/messages.h"

namespace ampliro {

static_assert(kQuitMessage == WM_QUIT);

namespace {

constexpr uint16_t kChannels = 1;
constexpr uint16_t kBitsPerSample = 16;

struct StreamStorage {
    // Sequentially consistent: see CaptureBlock and CloseAudioStream.
    std::atomic<int32_t> state{STREAM_IDLE};
    // Set at open: the server sets each block's length (see
    // AudioBackend::ServerBlockCapacity), so a playback buffer goes out with
    // the length of the block it carries.
    bool serverBlocks = false;
    std::atomic<uint32_t> headerCount{kMaxStreamHeaders};
    alignas(16) uint8_t captureArea[kStreamAreaBytes] = {};
    alignas(16) uint8_t playbackArea[kStreamAreaBytes] = {};
    WaveHeader captureHeaders[kMaxStreamHeaders];
    WaveHeader playbackHeaders[kMaxStreamHeaders];
    // 1 = playback buffer i is free; written by the audio thread after open.
    std::atomic<uint8_t> playbackFree[kMaxStreamHeaders] = {};
    std::atomic<ProcessCallback> callback{nullptr};
    // Set by the audio thread while it handles a capture block.
    std::atomic<int32_t> blockInProgress{0};
    AudioBackend* backend = nullptr;
    // Set and cleared by the main thread while no block is in progress; the
    // audio thread uses them only inside a block of a running stream.
    std::unique_ptr<WaveIn> capture;
    std::unique_ptr<WaveOut> playback;
    // Last, so that it is joined before the rest is destroyed.
    MessageThread thread;
};

StreamStorage& Stream() {
    static StreamStorage storage;
    return storage;
}

void ClearHeader(WaveHeader& header) {
    header.data = nullptr;
    header.bufferLength = 0;
    header.bytesRecorded.store(0, std::memory_order_relaxed);
    header.flags.store(0, std::memory_order_relaxed);
}

// The capture header a notification names, or -1 for a foreign pointer.
int32_t CaptureIndex(StreamStorage& s, uintptr_t address) {
    const uintptr_t first = reinterpret_cast<uintptr_t>(&s.captureHeaders[0]);
    if (address < first) return -1;
    const uintptr_t offset = address - first;
    if (offset % sizeof(WaveHeader) != 0) return -1;
    const uintptr_t index = offset / sizeof(WaveHeader);
    if (index >= s.headerCount.load(std::memory_order_relaxed)) return -1;
    return static_cast<int32_t>(index);
}

void PlaybackDone(StreamStorage& s, uintptr_t address) {
    const uint32_t count = s.headerCount.load(std::memory_order_relaxed);
    for (uint32_t i = 0; i < count; ++i) {
        WaveHeader& header = s.playbackHeaders[i];
        if (reinterpret_cast<uintptr_t>(&header) != address) continue;
        header.flags.fetch_and(~WHDR_DONE, std::memory_order_relaxed);
        s.playbackFree[i].store(1, std::memory_order_relaxed);
        return;
    }
}

// Runs the processing callback and tells the watchdog how long it took
// against the time the block lasts (count x 10^6 / rate microseconds).
void TimedPass(ProcessCallback callback, int16_t* samples, int32_t count) {
    AudioHealth& health = StreamHealth();
    const uint32_t start = MonotonicMicros();
    // 0 means "no pass runs", so the flag keeps its lowest bit set.
    health.passStartMicros.store(start | 1u, std::memory_order_relaxed);
    callback(samples, count);
    const uint32_t busy = MonotonicMicros() - start;
    health.passStartMicros.store(0, std::memory_order_relaxed);
    const uint32_t rate = StreamSampleRate();
    const uint32_t lasts =
        rate == 0 ? 0 : static_cast<uint32_t>(static_cast<uint64_t>(count) * 1000000u / rate);
    health.passes.fetch_add(1, std::memory_order_relaxed);
    health.busyMicros.fetch_add(busy, std::memory_order_relaxed);
    health.blockMicros.fetch_add(lasts, std::memory_order_relaxed);
    if (busy > lasts) health.slowPasses.fetch_add(1, std::memory_order_relaxed);
}

// One filled capture buffer of a running stream: into the lowest free
// playback buffer, through the callback, out to the device.
void HandleCapturedBlock(StreamStorage& s, int32_t index) {
    WaveIn* capture = s.capture.get();
    WaveOut* playback = s.playback.get();
    WaveHeader& captured = s.captureHeaders[index];
    // A device never reports more than the buffer holds; the clamp keeps a
    // faulty one from making the copy overrun both areas.
    uint32_t recorded = captured.bytesRecorded.load(std::memory_order_relaxed);
    if (recorded > captured.bufferLength) recorded = captured.bufferLength;
    if (recorded == 0) {
        capture->AddBuffer(&captured);
        return;
    }
    const int32_t sampleCount = static_cast<int32_t>(recorded) / (kBitsPerSample / 8);
    // The tuner hears the input as it came: also while the input is muted,
    // and also a block that finds no playback buffer.
    FeedTunerTap(reinterpret_cast<const int16_t*>(captured.data), sampleCount);

    const uint32_t count = s.headerCount.load(std::memory_order_relaxed);
    uint32_t free = 0;
    while (free < count && s.playbackFree[free].load(std::memory_order_relaxed) == 0) ++free;
    if (free == count) {
        StreamHealth().droppedBlocks.fetch_add(1, std::memory_order_relaxed);
        capture->AddBuffer(&captured);
        return;
    }
    s.playbackFree[free].store(0, std::memory_order_relaxed);

    WaveHeader& out = s.playbackHeaders[free];
    const size_t bytes = static_cast<size_t>(sampleCount) * 2;
    if (MuteInput.load(std::memory_order_seq_cst) != 0) {
        std::memset(out.data, 0, bytes);
    } else {
        std::memcpy(out.data, captured.data, bytes);
    }
    capture->AddBuffer(&captured);

    if (ProcessCallback callback = s.callback.load(std::memory_order_acquire)) {
        TimedPass(callback, reinterpret_cast<int16_t*>(out.data), sampleCount);
    }
    if (s.serverBlocks) out.bufferLength = static_cast<uint32_t>(bytes);
    // A buffer the device refuses would never come back as done.
    if (playback->Write(&out) != kWaveOk) s.playbackFree[free].store(1, std::memory_order_relaxed);
}

void CaptureData(StreamStorage& s, uintptr_t address) {
    // The flag is raised before the state is read, and CloseAudioStream
    // lowers the state before it reads the flag (both sequentially
    // consistent), so a block either sees the close or is waited for.
    s.blockInProgress.store(1, std::memory_order_seq_cst);
    if (s.state.load(std::memory_order_seq_cst) == STREAM_RUNNING) {
        const int32_t index = CaptureIndex(s, address);
        if (index >= 0) HandleCapturedBlock(s, index);
    }
    s.blockInProgress.store(0, std::memory_order_seq_cst);
}

int AudioThreadProcedure(ThreadQueue& queue) {
    NameCurrentThread("ampliro-audio");
    StreamStorage& s = Stream();
    if (s.state.load(std::memory_order_seq_cst) == STREAM_STOPPED) return 0;
    ThreadMessage message;
    for (;;) {
        if (queue.Get(message) == 0) return 0;
        switch (message.message) {
            case MM_WOM_DONE:
                PlaybackDone(s, message.lParam);
                break;
            case MM_WIM_DATA:
                CaptureData(s, message.lParam);
                break;
            default:
                break;
        }
        if (s.state.load(std::memory_order_seq_cst) == STREAM_STOPPED) return 0;
    }
}

// A back end that runs the blocks on its own real-time thread delivers its
// notifications here instead of posting them.
void HandleNotificationAtOnce(uint32_t message, uintptr_t, uintptr_t header) {
    StreamStorage& s = Stream();
    if (message == MM_WIM_DATA) {
        CaptureData(s, header);
    } else if (message == MM_WOM_DONE) {
        PlaybackDone(s, header);
    }
}

int32_t FailOpen(int32_t code) {
    CloseAudioStream();
    return code;
}

}  // namespace

const char* StreamErrorText(int32_t code) {
    switch (code) {
        case kStreamOk:
            return "no error";
        case kCaptureOpenFailed:
            return "the audio input cannot be opened";
        case kPlaybackOpenFailed:
            return "the audio output cannot be opened";
        case kPlaybackPrepareFailed:
            return "the audio output refused its buffers";
        case kCapturePrepareFailed:
        case kCaptureAddFailed:
            return "the audio input refused its buffers";
        case kCaptureStartFailed:
            return "the audio input cannot start";
        case kSampleRateRefused:
            return "the sound server runs at another sample rate";
        default:
            return "unknown audio error";
    }
}

uint32_t HeaderCountFor(uint32_t bufferSize) {
    if (bufferSize == 0) return 0;
    const uint32_t count = kStreamAreaBytes / bufferSize;
    return count > kMaxStreamHeaders ? kMaxStreamHeaders : count;
}

int StartAudioThread(ProcessCallback callback) {
    StreamStorage& s = Stream();
    s.callback.store(callback, std::memory_order_release);
    if (s.thread.Running()) return 0;
    s.state.store(STREAM_STARTING, std::memory_order_seq_cst);
    return s.thread.Start(AudioThreadProcedure) ? 0 : 1;
}

int32_t OpenAudioStream() {
    StreamStorage& s = Stream();
    // Without the audio thread no notification would ever be handled.
    if (!s.thread.Running()) return kCaptureOpenFailed;

    WaveFormat format;
    format.formatTag = WAVE_FORMAT_PCM;
    format.channels = kChannels;
    format.samplesPerSecond = StreamSampleRate();
    format.blockAlign = kChannels * (kBitsPerSample / 8);
    format.averageBytesPerSecond = format.samplesPerSecond * format.blockAlign;
    format.bitsPerSample = kBitsPerSample;
    format.extraSize = 0;

    for (uint32_t i = 0; i < kMaxStreamHeaders; ++i) {
        ClearHeader(s.captureHeaders[i]);
        ClearHeader(s.playbackHeaders[i]);
        s.playbackFree[i].store(0, std::memory_order_relaxed);
    }
    // The counts the user and the watchdog see start afresh with each open.
    StreamHealth().Reset();
    // Whole samples only, so every block starts on a 16-bit boundary.
    uint32_t bufferSize = StreamBufferSize() & ~1u;
    s.headerCount.store(HeaderCountFor(bufferSize), std::memory_order_relaxed);
    s.serverBlocks = false;

    AudioBackend& backend = CurrentAudioBackend();
    backend.SetNotificationSink(&HandleNotificationAtOnce);
    ThreadQueue& queue = s.thread.Queue();
    // A failed open leaves the stream idle and the thread waiting, so that
    // the next open can succeed.
    const int32_t captureResult = backend.OpenCapture(format, queue, s.capture);
    if (captureResult != kWaveOk || !s.capture) {
        s.capture.reset();
        s.state.store(STREAM_IDLE, std::memory_order_seq_cst);
        return captureResult == kWaveBadFormat ? kSampleRateRefused : kCaptureOpenFailed;
    }
    if (backend.OpenPlayback(format, queue, s.playback) != kWaveOk || !s.playback) {
        s.playback.reset();
        s.state.store(STREAM_IDLE, std::memory_order_seq_cst);
        s.capture->Close();
        s.capture.reset();
        return kPlaybackOpenFailed;
    }
    // A server that sets the block (JACK's period) gets buffers for its
    // longest block; the latency setting's buffer size waits for the next
    // back end that uses it.
    if (const uint32_t frames = backend.ServerBlockCapacity(); frames != 0) {
        bufferSize = frames * 2;
        s.serverBlocks = true;
    }
    const uint32_t count = HeaderCountFor(bufferSize);
    s.headerCount.store(count, std::memory_order_relaxed);
    for (uint32_t i = 0; i < count; ++i) {
        WaveHeader& header = s.playbackHeaders[i];
        header.data = s.playbackArea + i * bufferSize;
        header.bufferLength = bufferSize;
        if (s.playback->Prepare(&header) != kWaveOk) return FailOpen(kPlaybackPrepareFailed);
        s.playbackFree[i].store(1, std::memory_order_relaxed);
    }
    for (uint32_t i = 0; i < count; ++i) {
        WaveHeader& header = s.captureHeaders[i];
        header.data = s.captureArea + i * bufferSize;
        header.bufferLength = bufferSize;
        header.flags.store(0, std::memory_order_relaxed);
        if (s.capture->Prepare(&header) != kWaveOk) return FailOpen(kCapturePrepareFailed);
        if (s.capture->AddBuffer(&header) != kWaveOk) return FailOpen(kCaptureAddFailed);
    }
    // Running before the start: a device may complete its first block the
    // moment it starts, and a block that found the stream not yet running
    // would be lost with its buffer.
    s.state.store(STREAM_RUNNING, std::memory_order_seq_cst);
    if (s.capture->Start() != kWaveOk) return FailOpen(kCaptureStartFailed);
    return kStreamOk;
}

void CloseAudioStream() {
    StreamStorage& s = Stream();
    s.state.store(STREAM_IDLE, std::memory_order_seq_cst);
    // A block that saw the stream running may still be using the devices.
    while (s.blockInProgress.load(std::memory_order_seq_cst) != 0) std::this_thread::yield();
    if (s.playback) s.playback->Reset();
    if (s.capture) s.capture->Reset();
    const uint32_t count = s.headerCount.load(std::memory_order_relaxed);
    for (uint32_t i = 0; i < count; ++i) {
        if (s.playback) s.playback->Unprepare(&s.playbackHeaders[i]);
        if (s.capture) s.capture->Unprepare(&s.captureHeaders[i]);
    }
    if (s.playback) s.playback->Close();
    if (s.capture) s.capture->Close();
    s.playback.reset();
    s.capture.reset();
    // The resets posted a notification for every queued buffer. Handling them
    // now marks every playback buffer free again and keeps a stale capture
    // notification from reaching the next open.
    WaitForAudioThreadIdle();
}

void StopAudioStream() {
    StreamStorage& s = Stream();
    s.state.store(STREAM_STOPPED, std::memory_order_seq_cst);
    CloseAudioStream();
    s.thread.Quit();
}

bool IsAudioRunning() {
    return Stream().state.load(std::memory_order_seq_cst) == STREAM_RUNNING;
}

StreamState AudioStreamState() {
    return static_cast<StreamState>(Stream().state.load(std::memory_order_seq_cst));
}

uint32_t StreamHeaderCount() {
    return Stream().headerCount.load(std::memory_order_relaxed);
}

void SetAudioBackend(AudioBackend* backend) {
    Stream().backend = backend;
}

AudioBackend& CurrentAudioBackend() {
    StreamStorage& s = Stream();
    if (s.backend != nullptr) return *s.backend;
    static LiveAudioBackend live;
    return live;
}

bool AudioBackendFailed(std::string& reason) {
    return CurrentAudioBackend().Failed(reason);
}

uint32_t FreePlaybackBufferCount() {
    StreamStorage& s = Stream();
    const uint32_t count = s.headerCount.load(std::memory_order_relaxed);
    uint32_t free = 0;
    for (uint32_t i = 0; i < count; ++i) free += s.playbackFree[i].load(std::memory_order_relaxed);
    return free;
}

void WaitForAudioThreadIdle() {
    StreamStorage& s = Stream();
    // The thread may leave its loop meanwhile; then there is nothing to wait for.
    while (s.thread.Running() && !s.thread.Queue().WaitUntilIdleFor(10)) {
    }
}

}  // namespace ampliro
