// The duplex audio stream: capture and playback in one PCM format, driven by
// the devices' notifications on a dedicated audio thread.
//
// For every filled capture buffer the audio thread takes the lowest free
// playback buffer, copies the block into it (silence while the input is
// muted), hands the capture buffer back, lets the processing callback work on
// the playback buffer in place and queues it for playback. With no free
// playback buffer the block is dropped, so the capture ring keeps its size.
#pragma once

#include <cstdint>
#include <string>

#include "audio/stream_format.h"

namespace ampliro {

class AudioBackend;

enum StreamState : int32_t {
    STREAM_RUNNING = 0,   // devices open, capture started
    STREAM_IDLE = 1,      // devices closed or closing
    STREAM_STOPPED = 2,   // the audio thread leaves its loop
    STREAM_STARTING = 4,  // thread created, devices not yet open
};

// Open failures, returned by OpenAudioStream.
enum StreamError : int32_t {
    kStreamOk = 0,
    kCaptureOpenFailed = 3,
    kPlaybackOpenFailed = 4,
    kPlaybackPrepareFailed = 12,
    kCapturePrepareFailed = 13,
    kCaptureAddFailed = 14,
    kCaptureStartFailed = 15,
    // The sound server runs at another rate; the back end's LastError says
    // which rate to choose.
    kSampleRateRefused = 16,
};

// What an open failure means, for messages.
const char* StreamErrorText(int32_t code);

// Called once per block on the audio thread; processes the block in place.
using ProcessCallback = int (*)(int16_t* samples, int32_t count);

// Both areas are this large; header count x buffer size never exceeds it.
inline constexpr uint32_t kStreamAreaBytes = 32768;
inline constexpr uint32_t kMaxStreamHeaders = 128;

// Creates the audio thread once (later calls only replace the callback) and
// raises it to real-time priority. 0 on success, 1 if no thread can be made.
int StartAudioThread(ProcessCallback callback);
// Opens capture and playback at the format below; 0 or a StreamError. A
// failed open leaves the thread waiting for the next open.
int32_t OpenAudioStream();
// Resets and closes both devices. Returns once no block is in progress and
// every notification of the closed devices has been handled.
void CloseAudioStream();
// Closes the stream and ends the audio thread.
void StopAudioStream();
bool IsAudioRunning();
StreamState AudioStreamState();

// Buffers of each direction, computed at open: 32768 / buffer size, at most 128.
uint32_t StreamHeaderCount();
uint32_t HeaderCountFor(uint32_t bufferSize);

// The devices the stream opens; null selects the live devices: a JACK
// client when a JACK server answers, else SDL's audio devices.
void SetAudioBackend(AudioBackend* backend);
AudioBackend& CurrentAudioBackend();
// Main thread, once per frame while the power is on: true once the open
// devices have failed for good (the sound server stopped or changed its
// buffer size or rate); reason then says so for the user. The caller powers
// off; the devices are safe to close.
bool AudioBackendFailed(std::string& reason);

// For diagnostics and tests: free playback buffers, and a wait until the
// audio thread has handled every notification posted so far.
uint32_t FreePlaybackBufferCount();
void WaitForAudioThreadIdle();

}  // namespace ampliro
