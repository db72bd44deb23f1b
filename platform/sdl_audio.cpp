#include "platform/sdl_audio.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <mutex>

#include "platform/header_ring.h"
#include "platform/output_volume.h"

namespace ampliro {
namespace {

// SDL's own buffer: about 5 ms, a power of two as most drivers prefer, so the
// device adds little to the latency of the stream's buffers.
Uint16 DeviceFrames(uint32_t rate) {
    Uint16 frames = 64;
    while (frames < 2048 && frames * 200u < rate) frames = static_cast<Uint16>(frames * 2);
    return frames;
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

class SdlWaveIn final : public WaveIn {
  public:
    explicit SdlWaveIn(ThreadQueue& notify) : notify_(notify) {}
    ~SdlWaveIn() override { Close(); }

    bool Open(const WaveFormat& format) {
        device_ = OpenSdlDevice(format, true, &SdlWaveIn::Callback, this);
        return device_ != 0;
    }

    int32_t Prepare(WaveHeader* header) override { return PrepareWaveHeader(header); }

    int32_t AddBuffer(WaveHeader* header) override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (device_ == 0) return kWaveBadDevice;
        const int32_t result = BeginQueuedHeader(header);
        if (result != kWaveOk) return result;
        header->bytesRecorded.store(0, std::memory_order_relaxed);
        if (!pending_.Push(header)) {
            header->flags.fetch_and(~WHDR_INQUEUE, std::memory_order_relaxed);
            return kWaveError;
        }
        return kWaveOk;
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

    int32_t Unprepare(WaveHeader* header) override { return UnprepareWaveHeader(header); }

    int32_t Close() override {
        if (device_ == 0) return kWaveOk;
        // Joins SDL's device thread: no callback runs after this.
        SDL_CloseAudioDevice(device_);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        std::lock_guard<std::mutex> lock(mutex_);
        device_ = 0;
        return kWaveOk;
    }

  private:
    static void Callback(void* user, Uint8* stream, int length) {
        static_cast<SdlWaveIn*>(user)->Fill(stream, static_cast<uint32_t>(length));
    }

    // Captured bytes go into the oldest queued buffer; a full buffer is
    // returned. With nothing queued the input is lost, as on any device.
    void Fill(const Uint8* stream, uint32_t length) {
        std::lock_guard<std::mutex> lock(mutex_);
        while (length > 0) {
            WaveHeader* header = pending_.Front();
            if (header == nullptr) return;
            const uint32_t recorded = header->bytesRecorded.load(std::memory_order_relaxed);
            const uint32_t n = std::min(header->bufferLength - recorded, length);
            std::memcpy(header->data + recorded, stream, n);
            header->bytesRecorded.store(recorded + n, std::memory_order_relaxed);
            stream += n;
            length -= n;
            if (recorded + n == header->bufferLength) Return(pending_.Pop());
        }
    }

    void Return(WaveHeader* header) {
        FinishQueuedHeader(header);
        notify_.Post(MM_WIM_DATA, reinterpret_cast<uintptr_t>(this),
                     reinterpret_cast<uintptr_t>(header));
    }

    ThreadQueue& notify_;
    std::mutex mutex_;
    HeaderRing pending_;
    SDL_AudioDeviceID device_ = 0;
};

class SdlWaveOut final : public WaveOut {
  public:
    explicit SdlWaveOut(ThreadQueue& notify) : notify_(notify) {}
    ~SdlWaveOut() override { Close(); }

    bool Open(const WaveFormat& format) {
        device_ = OpenSdlDevice(format, false, &SdlWaveOut::Callback, this);
        if (device_ != 0) SDL_PauseAudioDevice(device_, 0);
        return device_ != 0;
    }

    int32_t Prepare(WaveHeader* header) override { return PrepareWaveHeader(header); }

    int32_t Write(WaveHeader* header) override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (device_ == 0) return kWaveBadDevice;
        const int32_t result = BeginQueuedHeader(header);
        if (result != kWaveOk) return result;
        if (!pending_.Push(header)) {
            header->flags.fetch_and(~WHDR_INQUEUE, std::memory_order_relaxed);
            return kWaveError;
        }
        return kWaveOk;
    }

    int32_t Reset() override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (device_ == 0) return kWaveBadDevice;
        while (WaveHeader* header = pending_.Pop()) Return(header);
        played_ = 0;
        return kWaveOk;
    }

    int32_t Unprepare(WaveHeader* header) override { return UnprepareWaveHeader(header); }

    int32_t Close() override {
        if (device_ == 0) return kWaveOk;
        SDL_CloseAudioDevice(device_);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        std::lock_guard<std::mutex> lock(mutex_);
        device_ = 0;
        return kWaveOk;
    }

  private:
    static void Callback(void* user, Uint8* stream, int length) {
        static_cast<SdlWaveOut*>(user)->Drain(stream, static_cast<uint32_t>(length));
    }

    // Plays the queued buffers in order through the master volume; silence
    // when nothing is queued.
    void Drain(Uint8* stream, uint32_t length) {
        const uint32_t volume = ReadOutputVolume();
        std::lock_guard<std::mutex> lock(mutex_);
        while (length > 0) {
            WaveHeader* header = pending_.Front();
            if (header == nullptr) {
                std::memset(stream, 0, length);
                return;
            }
            // Whole samples: buffers of the stream always have even lengths.
            const uint32_t n = std::min(header->bufferLength - played_, length) & ~1u;
            if (n > 0) {
                int16_t samples[256];
                for (uint32_t done = 0; done < n;) {
                    const uint32_t chunk = std::min<uint32_t>(n - done, sizeof samples);
                    std::memcpy(samples, header->data + played_ + done, chunk);
                    ApplyOutputVolume(samples, samples, chunk / 2, volume);
                    std::memcpy(stream + done, samples, chunk);
                    done += chunk;
                }
            }
            stream += n;
            length -= n;
            played_ += n;
            if (header->bufferLength - played_ < 2) {
                played_ = 0;
                Return(pending_.Pop());
            } else if (n == 0) {
                std::memset(stream, 0, length);
                return;
            }
        }
    }

    void Return(WaveHeader* header) {
        FinishQueuedHeader(header);
        notify_.Post(MM_WOM_DONE, reinterpret_cast<uintptr_t>(this),
                     reinterpret_cast<uintptr_t>(header));
    }

    ThreadQueue& notify_;
    std::mutex mutex_;
    HeaderRing pending_;
    uint32_t played_ = 0;  // bytes of the front buffer already played
    SDL_AudioDeviceID device_ = 0;
};

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
    auto in = std::make_unique<SdlWaveIn>(notify);
    if (!in->Open(format)) {
        lastError_ = SDL_GetError();
        return kWaveBadDevice;
    }
    device = std::move(in);
    return kWaveOk;
}

int32_t SdlAudioBackend::OpenPlayback(const WaveFormat& format, ThreadQueue& notify,
                                      std::unique_ptr<WaveOut>& device) {
    auto out = std::make_unique<SdlWaveOut>(notify);
    if (!out->Open(format)) {
        lastError_ = SDL_GetError();
        return kWaveBadDevice;
    }
    device = std::move(out);
    return kWaveOk;
}

std::string SdlAudioBackend::CaptureDeviceName() {
    return DefaultDeviceName(true);
}
std::string SdlAudioBackend::PlaybackDeviceName() {
    return DefaultDeviceName(false);
}

}  // namespace ampliro
