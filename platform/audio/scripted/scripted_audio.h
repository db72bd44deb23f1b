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

    size_t QueuedCaptureCount();
    size_t QueuedPlaybackCount();
    std::vector<int16_t> Played();
    // What was written to the playback device, before any completion.
    std::vector<const WaveHeader*> QueuedPlayback();
    bool CaptureOpen();
    bool PlaybackOpen();
    bool CaptureStarted();
    WaveFormat LastFormat();
    int32_t CaptureOpenCount();

    int32_t OpenCapture(const WaveFormat& format, ThreadQueue& notify,
                        std::unique_ptr<WaveIn>& device) override;
    int32_t OpenPlayback(const WaveFormat& format, ThreadQueue& notify,
                         std::unique_ptr<WaveOut>& device) override;
    std::string CaptureDeviceName() override { return "scripted capture"; }
    std::string PlaybackDeviceName() override { return "scripted playback"; }
    // A MIDI port of the back end's own, as JACK's: once the program has
    // handed its inbox over, SendMidi posts one event to it, whole.
    void SetMidiInbox(MidiInbox* inbox) override;
    bool MidiPortOpen() override;
    bool SendMidi(const std::vector<uint8_t>& event);

  private:
    class In;
    class Out;
    friend class In;
    friend class Out;

    void ReturnCapture(WaveHeader* header);

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
