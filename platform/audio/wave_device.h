// Capture and playback devices with the wave-header model: the caller owns
// the buffers and their headers, prepares each header once, hands buffers to
// the device (add for capture, write for playback) and gets each back through
// a notification posted to its thread's queue, with the header's done bit set
// and, for capture, the number of bytes recorded.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/threads/thread_queue.h"

namespace ampliro {

class MidiInbox;

// Notifications: wParam is the device, lParam the WaveHeader*.
inline constexpr uint32_t MM_WOM_DONE = 0x3BD;
inline constexpr uint32_t MM_WIM_DATA = 0x3C0;

// Header flags.
inline constexpr uint32_t WHDR_DONE = 0x01;
inline constexpr uint32_t WHDR_PREPARED = 0x02;
inline constexpr uint32_t WHDR_INQUEUE = 0x10;

// Results of the device operations.
enum WaveResult : int32_t {
    kWaveOk = 0,
    kWaveError = 1,
    kWaveBadDevice = 2,
    kWaveNoDriver = 6,
    kWaveInvalidParam = 11,
    kWaveBadFormat = 32,  // the device cannot run at the format asked for
    kWaveStillPlaying = 33,
    kWaveUnprepared = 34,
};

inline constexpr uint16_t WAVE_FORMAT_PCM = 1;

struct WaveFormat {
    uint16_t formatTag = WAVE_FORMAT_PCM;
    uint16_t channels = 1;
    uint32_t samplesPerSecond = 44100;
    uint32_t averageBytesPerSecond = 88200;
    uint16_t blockAlign = 2;
    uint16_t bitsPerSample = 16;
    uint16_t extraSize = 0;
};

// Set by the owner before Prepare: data and bufferLength. The device thread
// and the owner both touch the flags and the recorded count.
struct WaveHeader {
    uint8_t* data = nullptr;
    uint32_t bufferLength = 0;
    std::atomic<uint32_t> bytesRecorded{0};
    std::atomic<uint32_t> flags{0};
};

class WaveIn {
  public:
    virtual ~WaveIn() = default;
    virtual int32_t Prepare(WaveHeader* header) = 0;
    // Queues an empty buffer for the device to fill.
    virtual int32_t AddBuffer(WaveHeader* header) = 0;
    virtual int32_t Start() = 0;
    // Stops capturing and returns every queued buffer (notifications posted).
    virtual int32_t Reset() = 0;
    virtual int32_t Unprepare(WaveHeader* header) = 0;
    virtual int32_t Close() = 0;
};

class WaveOut {
  public:
    virtual ~WaveOut() = default;
    virtual int32_t Prepare(WaveHeader* header) = 0;
    // Queues a filled buffer for playing; bufferLength bytes are played.
    virtual int32_t Write(WaveHeader* header) = 0;
    // Returns every queued buffer (notifications posted).
    virtual int32_t Reset() = 0;
    virtual int32_t Unprepare(WaveHeader* header) = 0;
    virtual int32_t Close() = 0;
};

// Handles one notification at once, on the thread that delivers it.
using WaveNotificationSink = void (*)(uint32_t message, uintptr_t device, uintptr_t header);

// Opens the default capture and playback devices. Notifications go to the
// queue handed in; the device objects are closed before they are destroyed.
class AudioBackend {
  public:
    virtual ~AudioBackend() = default;
    // A back end whose own real-time thread sets the pace (a JACK process
    // callback) hands its notifications to this sink on that thread instead
    // of posting them, so that a block is processed in the cycle that
    // completes it. Back ends that post ignore it.
    virtual void SetNotificationSink(WaveNotificationSink sink) { (void)sink; }
    virtual int32_t OpenCapture(const WaveFormat& format, ThreadQueue& notify,
                                std::unique_ptr<WaveIn>& device) = 0;
    virtual int32_t OpenPlayback(const WaveFormat& format, ThreadQueue& notify,
                                 std::unique_ptr<WaveOut>& device) = 0;
    // Human-readable names of the default devices, for the console.
    virtual std::string CaptureDeviceName() = 0;
    virtual std::string PlaybackDeviceName() = 0;
    // Why the last open failed, when the back end knows; else empty.
    virtual std::string LastError() { return {}; }
    // True once the open devices have failed for good (the sound server
    // stopped, or changed its format under them); reason then says so in
    // words for the user. Main thread; it reads flags the device thread sets.
    virtual bool Failed(std::string& reason) {
        (void)reason;
        return false;
    }
    // A back end with a MIDI input of its own (a port on the JACK graph)
    // posts what arrives there to this inbox. MidiPortOpen: the port exists
    // now (the devices are open), so no other MIDI source is needed.
    virtual void SetMidiInbox(MidiInbox* inbox) { (void)inbox; }
    virtual bool MidiPortOpen() { return false; }
};

// Header bookkeeping shared by the back ends.
int32_t PrepareWaveHeader(WaveHeader* header);
int32_t UnprepareWaveHeader(WaveHeader* header);
// Checks a header may be queued and marks it queued (done bit cleared).
int32_t BeginQueuedHeader(WaveHeader* header);
// Marks a queued header done and no longer queued.
void FinishQueuedHeader(WaveHeader* header);

}  // namespace ampliro
