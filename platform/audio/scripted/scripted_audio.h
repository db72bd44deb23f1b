// ScriptedAudio: capture and playback devices driven by a test instead of
// hardware. The test fills the oldest queued capture buffer with samples of
// its own and completes the oldest queued playback buffer when it chooses,
// and each step posts the same notification a real device would. Chosen
// operations can be made to fail. All members may be called from any thread.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/audio/header_ring.h"
#include "platform/audio/wave_device.h"

namespace ampliro {

class ScriptedAudio final : public AudioBackend {
  public:
    // Which operation fails, and for Prepare/AddBuffer at which call (0 is
    // the first call after the open); -1 = never.
    struct Failures {
        bool captureOpen = false;
        bool playbackOpen = false;
        int32_t playbackPrepareAt = -1;
        int32_t capturePrepareAt = -1;
        int32_t captureAddAt = -1;
        bool captureStart = false;
    };

    ScriptedAudio();
    ~ScriptedAudio() override;

    void SetFailures(const Failures& failures);
    // Capture buffers returned by a reset report this many recorded bytes
    // (at most their length), as a device does for a partly filled buffer.
    void SetResetRecordedBytes(uint32_t bytes);

    // Fills the oldest queued capture buffer with these samples (at most its
    // length), records the byte count and returns it to its owner. False when
    // no capture buffer is queued.
    bool Capture(const std::vector<int16_t>& samples);
    // Returns the oldest queued capture buffer with this many recorded bytes
    // and its contents untouched.
    bool CaptureBytes(uint32_t bytes);
    // Plays the oldest queued playback buffer: its bytes, through the master
    // volume, are appended to Played(), and it is returned to its owner.
    bool CompletePlayback();

    size_t QueuedCaptureCount() {
        return Locked([this] { return captureQueued_.Size(); });
    }
    size_t QueuedPlaybackCount() {
        return Locked([this] { return playbackQueued_.Size(); });
    }
    std::vector<int16_t> Played() {
        return Locked([this] { return played_; });
    }
    // What was written to the playback device, before any completion.
    std::vector<const WaveHeader*> QueuedPlayback();
    bool CaptureOpen() {
        return Locked([this] { return captureOpen_; });
    }
    bool PlaybackOpen() {
        return Locked([this] { return playbackOpen_; });
    }
    bool CaptureStarted() {
        return Locked([this] { return captureStarted_; });
    }
    WaveFormat LastFormat() {
        return Locked([this] { return lastFormat_; });
    }
    int32_t CaptureOpenCount() {
        return Locked([this] { return captureOpens_; });
    }

    int32_t OpenCapture(const WaveFormat& format, ThreadQueue& notify,
                        std::unique_ptr<WaveIn>& device) override;
    int32_t OpenPlayback(const WaveFormat& format, ThreadQueue& notify,
                         std::unique_ptr<WaveOut>& device) override;
    std::string CaptureDeviceName() override { return "scripted capture"; }
    std::string PlaybackDeviceName() override { return "scripted playback"; }
    // A MIDI port of the back end's own, as JACK's: once the program has
    // handed its inbox over, SendMidi posts one event to it, whole.
    void SetMidiInbox(MidiInbox* inbox) override;
    bool MidiPortOpen() override {
        return Locked([this] { return midiInbox_ != nullptr; });
    }
    bool SendMidi(const std::vector<uint8_t>& event);

  private:
    class In;
    class Out;
    friend class In;
    friend class Out;

    // A side's Prepare: counts the call and fails the one chosen to fail.
    int32_t Prepare(WaveHeader* header, int32_t& calls, int32_t failAt);
    void ReturnCapture(WaveHeader* header);
    // What read() gives, read under the lock.
    template <typename Read>
    auto Locked(Read read) -> decltype(read()) {
        std::lock_guard<std::mutex> lock(mutex_);
        return read();
    }

    std::mutex mutex_;
    Failures failures_;
    uint32_t resetRecordedBytes_ = 0;
    ThreadQueue* captureQueue_ = nullptr;
    ThreadQueue* playbackQueue_ = nullptr;
    bool captureOpen_ = false;
    bool playbackOpen_ = false;
    bool captureStarted_ = false;
    int32_t capturePrepares_ = 0;
    int32_t captureAdds_ = 0;
    int32_t playbackPrepares_ = 0;
    int32_t captureOpens_ = 0;
    WaveFormat lastFormat_;
    HeaderRing captureQueued_;
    HeaderRing playbackQueued_;
    std::vector<int16_t> played_;
    MidiInbox* midiInbox_ = nullptr;
};

}  // namespace ampliro
