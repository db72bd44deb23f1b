#include "platform/audio/sdl/sdl_audio.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <type_traits>

#include "platform/audio/audio_health.h"
#include "platform/audio/header_ring.h"
#include "platform/audio/output_volume.h"
#include "platform/audio/playback_cushion.h"
#include "platform/threads/thread.h"

namespace ampliro {
namespace {

// SDL's own buffer: a power of two as most drivers prefer, of at least
// kDeviceBufferMs. On a sound server SDL's device thread is an ordinary
// thread; with less than this, the server now and then finds it late and
// plays silence (measured with bench/live_pulse.sh on PulseAudio).
constexpr uint32_t kDeviceBufferMs = 10;

Uint16 DeviceFrames(uint32_t rate) {
    Uint16 frames = 64;
    while (frames < 4096 && frames * 1000u < rate * kDeviceBufferMs)
        frames = static_cast<Uint16>(frames * 2);
    return frames;
}

// The playback cushion: the device's buffer plus a block, rounded up to
// whole blocks, so that the queue can serve a whole device buffer when the
// capture side has just delivered its last block late by one block.
uint32_t CushionSamples(uint32_t deviceFrames, uint32_t blockSamples) {
    if (blockSamples == 0) return 0;
    const uint32_t blocks = (deviceFrames + blockSamples - 1) / blockSamples + 1;
    return blocks * blockSamples;
}

// Opens one SDL device for the format; 0 on failure (the audio subsystem is
// then released again).
SDL_AudioDeviceID OpenSdlDevice(const WaveFormat& format, bool capture, SDL_AudioCallback callback,
                                void* user) {
    if (format.formatTag != WAVE_FORMAT_PCM || format.bitsPerSample != 16 || format.channels == 0 ||
        format.samplesPerSecond == 0) {
        return 0;
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return 0;
    SDL_AudioSpec want{};
    want.freq = static_cast<int>(format.samplesPerSecond);
    want.format = AUDIO_S16SYS;
    want.channels = static_cast<Uint8>(format.channels);
    want.samples = DeviceFrames(format.samplesPerSecond);
    want.callback = callback;
    want.userdata = user;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts to whatever the hardware runs at.
    const SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, capture ? 1 : 0, &want, &have, 0);
    if (id == 0) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return id;
}

// SDL's device threads ask only for a nice value, and a sound server plays
// silence for a client thread that comes late, so each takes the real-time
// priority the stream's own thread has, where the system allows it, on its
// first callback.
void RaiseDeviceThread(bool& raised) {
    if (raised) return;
    raised = true;
    RaiseCurrentThreadToRealTime();
}

// What SDL's capture and playback device share: one SDL device, the queue
// of headers handed in, and the way a header goes back. Device is WaveIn
// for capture, WaveOut for playback. The queue is guarded by a mutex that
// SDL's device thread takes too, as SDL gives it no other way to hand over.
template <typename Device>
class SdlDevice : public Device {
  public:
    explicit SdlDevice(ThreadQueue& notify) : notify_(notify) {}

    int32_t Close() final {
        if (device_ == 0) return kWaveOk;
        // Joins SDL's device thread: no callback runs after this.
        SDL_CloseAudioDevice(device_);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        std::lock_guard<std::mutex> lock(mutex_);
        device_ = 0;
        return kWaveOk;
    }

  protected:
    static constexpr bool kCapture = std::is_same_v<Device, WaveIn>;

    // With mutex_ held: queues a header for the device thread.
    int32_t QueueLocked(WaveHeader* header) {
        if (device_ == 0) return kWaveBadDevice;
        return QueueHeader(pending_, header, kCapture);
    }

    // Hands a header back done, naming the device as the stream knows it.
    void Return(WaveHeader* header) {
        FinishQueuedHeader(header);
        notify_.Post(kCapture ? MM_WIM_DATA : MM_WOM_DONE,
                     reinterpret_cast<uintptr_t>(static_cast<Device*>(this)),
                     reinterpret_cast<uintptr_t>(header));
    }

    ThreadQueue& notify_;
    std::mutex mutex_;
    HeaderRing pending_;
    bool raised_ = false;
    SDL_AudioDeviceID device_ = 0;
};

class SdlWaveIn final : public SdlDevice<WaveIn> {
  public:
    using SdlDevice::SdlDevice;
    ~SdlWaveIn() override { Close(); }

    bool Open(const WaveFormat& format) {
        device_ = OpenSdlDevice(format, true, &SdlWaveIn::Callback, this);
        return device_ != 0;
    }

    int32_t AddBuffer(WaveHeader* header) override {
        std::lock_guard<std::mutex> lock(mutex_);
        return QueueLocked(header);
    }

    int32_t Start() override {
        if (device_ == 0) return kWaveBadDevice;
        SDL_PauseAudioDevice(device_, 0);
        return kWaveOk;
    }

    int32_t Reset() override {
        if (device_ == 0) return kWaveBadDevice;
        // Pausing takes the device lock, so no callback runs after it.
        SDL_PauseAudioDevice(device_, 1);
        std::lock_guard<std::mutex> lock(mutex_);
        while (WaveHeader* header = pending_.Pop()) Return(header);
        return kWaveOk;
    }

  private:
    static void Callback(void* user, Uint8* stream, int length) {
        static_cast<SdlWaveIn*>(user)->Fill(stream, static_cast<uint32_t>(length));
    }

    // Captured bytes go into the oldest queued buffer; a full buffer is
    // returned. With nothing queued the input is lost, as on any device, and
    // counted as one lost block.
    void Fill(const Uint8* stream, uint32_t length) {
        RaiseDeviceThread(raised_);
        std::lock_guard<std::mutex> lock(mutex_);
        while (length > 0) {
            WaveHeader* header = pending_.Front();
            if (header == nullptr) {
                StreamHealth().droppedBlocks.fetch_add(1, std::memory_order_relaxed);
                return;
            }
            const uint32_t recorded = header->bytesRecorded.load(std::memory_order_relaxed);
            const uint32_t n = std::min(header->bufferLength - recorded, length);
            std::memcpy(header->data + recorded, stream, n);
            header->bytesRecorded.store(recorded + n, std::memory_order_relaxed);
            stream += n;
            length -= n;
            if (recorded + n == header->bufferLength) Return(pending_.Pop());
        }
    }
};

class SdlWaveOut final : public SdlDevice<WaveOut> {
  public:
    using SdlDevice::SdlDevice;
    ~SdlWaveOut() override { Close(); }

    bool Open(const WaveFormat& format) {
        rate_ = format.samplesPerSecond;
        device_ = OpenSdlDevice(format, false, &SdlWaveOut::Callback, this);
        if (device_ != 0) SDL_PauseAudioDevice(device_, 0);
        return device_ != 0;
    }

    // The stream prepares every buffer before it writes the first, so the
    // first one prepared tells the block the cushion counts in.
    int32_t Prepare(WaveHeader* header) override {
        const int32_t result = PrepareWaveHeader(header);
        if (result == kWaveOk && !started_) {
            std::lock_guard<std::mutex> lock(mutex_);
            const uint32_t block = header->bufferLength / 2;
            const uint32_t device = DeviceFrames(rate_);
            cushion_.Start(block, CushionSamples(device, block), rate_);
            started_ = true;
            // Both devices' buffers and the cushion, beyond the stream's block.
            StreamHealth().deviceLatencyFrames.store(2 * device + cushion_.CushionSamples(),
                                                     std::memory_order_relaxed);
        }
        return result;
    }

    int32_t Write(WaveHeader* header) override {
        std::lock_guard<std::mutex> lock(mutex_);
        const int32_t result = QueueLocked(header);
        if (result == kWaveOk) cushion_.Queued(MonotonicMicros());
        return result;
    }

    int32_t Reset() override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (device_ == 0) return kWaveBadDevice;
        while (WaveHeader* header = pending_.Pop()) Return(header);
        cushion_.Rewind();
        return kWaveOk;
    }

  private:
    static void Callback(void* user, Uint8* stream, int length) {
        static_cast<SdlWaveOut*>(user)->Drain(reinterpret_cast<int16_t*>(stream),
                                              static_cast<uint32_t>(length) / 2);
    }

    // Plays the queue through the cushion, then the master volume.
    void Drain(int16_t* samples, uint32_t count) {
        RaiseDeviceThread(raised_);
        const uint32_t volume = ReadOutputVolume();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            cushion_.Drain(pending_, samples, count, MonotonicMicros(), &SdlWaveOut::Done, this);
        }
        ApplyOutputVolume(samples, samples, count, volume);
    }

    static void Done(void* owner, WaveHeader* header) {
        static_cast<SdlWaveOut*>(owner)->Return(header);
    }

    PlaybackCushion cushion_;
    uint32_t rate_ = 0;
    bool started_ = false;
};

template <typename Device, typename Base>
int32_t OpenDevice(const WaveFormat& format, ThreadQueue& notify, std::unique_ptr<Base>& device,
                   std::string& error) {
    auto opened = std::make_unique<Device>(notify);
    if (!opened->Open(format)) {
        error = SDL_GetError();
        return kWaveBadDevice;
    }
    device = std::move(opened);
    return kWaveOk;
}

std::string DefaultDeviceName(bool capture) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return "no audio driver";
    std::string name;
    char* defaultName = nullptr;
    SDL_AudioSpec spec{};
    if (SDL_GetDefaultAudioInfo(&defaultName, &spec, capture ? 1 : 0) == 0 && defaultName) {
        name = defaultName;
        SDL_free(defaultName);
    } else if (SDL_GetNumAudioDevices(capture ? 1 : 0) > 0) {
        const char* first = SDL_GetAudioDeviceName(0, capture ? 1 : 0);
        name = first != nullptr ? first : "";
    }
    if (name.empty()) name = "default device";
    const char* driver = SDL_GetCurrentAudioDriver();
    name += " (";
    name += driver != nullptr ? driver : "no driver";
    name += ")";
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return name;
}

}  // namespace

int32_t SdlAudioBackend::OpenCapture(const WaveFormat& format, ThreadQueue& notify,
                                     std::unique_ptr<WaveIn>& device) {
    return OpenDevice<SdlWaveIn>(format, notify, device, lastError_);
}

int32_t SdlAudioBackend::OpenPlayback(const WaveFormat& format, ThreadQueue& notify,
                                      std::unique_ptr<WaveOut>& device) {
    return OpenDevice<SdlWaveOut>(format, notify, device, lastError_);
}

std::string SdlAudioBackend::CaptureDeviceName() {
    return DefaultDeviceName(true);
}
std::string SdlAudioBackend::PlaybackDeviceName() {
    return DefaultDeviceName(false);
}

}  // namespace ampliro
