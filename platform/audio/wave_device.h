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

// Header bookkeeping shared by the back ends.
int32_t PrepareWaveHeader(WaveHeader* header);
int32_t UnprepareWaveHeader(WaveHeader* header);
// Checks a header may be queued and marks it queued (done bit cleared).
int32_t BeginQueuedHeader(WaveHeader* header);
// Marks a queued header done and no longer queued.
void FinishQueuedHeader(WaveHeader* header);
// Checks and marks a header queued, clears a capture header's recorded
// count, and appends it to a device's queue (any queue whose Push says
// whether there was room); a full queue leaves it unqueued.
template <typename Queue>
int32_t QueueHeader(Queue& queue, WaveHeader* header, bool capture) {
    const int32_t result = BeginQueuedHeader(header);
    if (result != kWaveOk) return result;
    if (capture) header->bytesRecorded.store(0, std::memory_order_relaxed);
    if (queue.Push(header)) return kWaveOk;
    header->flags.fetch_and(~WHDR_INQUEUE, std::memory_order_relaxed);
    return kWaveError;
}

// What a capture and a playback device have in common. A header is prepared
// once before it is first queued and unprepared once it is back; most
// devices need nothing beyond the header's own flags for that.
class WaveDevice {
  public:
    virtual ~WaveDevice() = default;
    virtual int32_t Prepare(WaveHeader* header) { return PrepareWaveHeader(header); }
    // Returns every queued buffer (notifications posted); a capture device
    // also stops capturing.
    virtual int32_t Reset() = 0;
    virtual int32_t Unprepare(WaveHeader* header) { return UnprepareWaveHeader(header); }
    virtual int32_t Close() = 0;
};

class WaveIn : public WaveDevice {
  public:
    // Queues an empty buffer for the device to fill.
    virtual int32_t AddBuffer(WaveHeader* header) = 0;
    virtual int32_t Start() = 0;
};

class WaveOut : public WaveDevice {
  public:
    // Queues a filled buffer for playing; bufferLength bytes are played.
    virtual int32_t Write(WaveHeader* header) = 0;
};

// Handles one notification at once, on the thread that delivers it.
using WaveNotificationSink = void (*)(uint32_t message, uintptr_t device, uintptr_t header);

// The interface every back end implements, each in a folder of its own
// (jack/, pulse/, sdl/, and scripted/ for the tests); live_audio.h holds the
// order they are tried in. A back end opens the default capture and playback
// devices: a stream opens its capture device first, then its playback
// device at the same format. An open gives kWaveOk, kWaveNoDriver when the
// back end's server does not answer (the next back end is then tried), or
// why the device cannot open. Notifications go to the queue handed in; the
// device objects are closed before they are destroyed.
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
    // Whether the back end's server answers now, without opening a device:
    // asked for the devices' names before any is open. A back end with no
    // server of its own always answers.
    virtual bool Answers() { return true; }
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
    // A back end whose server sets the block (a JACK client: the server's
    // period) answers, once its capture device is open, with the longest
    // block it will deliver in frames. The stream then sizes its buffers for
    // that, every captured block is as long as the server's cycle (its
    // recorded count tells), and the playback header goes back with the
    // block's length. 0: the stream's buffer size sets the block.
    virtual uint32_t ServerBlockCapacity() { return 0; }
};

}  // namespace ampliro
