#include "platform/audio/jack/jack_session.h"

#include <jack/midiport.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/audio/audio_health.h"
#include "platform/audio/output_volume.h"
#include "platform/audio/rate_label.h"

namespace ampliro {
namespace {

constexpr const char* kClientName = "Ampliro";
constexpr const char* kInputName = "in";
constexpr const char* kOutputNames[2] = {"out_left", "out_right"};
constexpr const char* kMidiInputName = "midi_in";
// Frames converted at a time on the playback side.
constexpr uint32_t kChunkFrames = 256;

// libjack reports to stderr by default; the audio side never logs, and a
// missing server is an ordinary answer here, not an error.
void Quiet(const char*) {}

void SilenceLibrary() {
    static const bool silenced = [] {
        jack_set_error_function(Quiet);
        jack_set_info_function(Quiet);
        return true;
    }();
    (void)silenced;
}

jack_client_t* OpenClient() {
    SilenceLibrary();
    jack_status_t status{};
    return jack_client_open(kClientName, JackNoStartServer, &status);
}

// JACK's samples are floats in -1..1; 16-bit sample s is s / 32768, so every
// 16-bit value goes out and comes back exactly. The way back rounds to
// nearest and saturates; NaN becomes silence.
int16_t ToSample(float value) {
    const float scaled = value * 32768.0f;
    if (scaled >= 32767.0f) return 32767;
    if (scaled <= -32768.0f) return -32768;
    if (!(scaled == scaled)) return 0;
    return static_cast<int16_t>(std::lrint(scaled));
}

float ToFloat(int16_t sample) {
    return static_cast<float>(sample) * (1.0f / 32768.0f);
}

}  // namespace

std::string JackRateRefusalText(uint32_t serverRate, uint32_t chosenRate) {
    const std::string intro = "The JACK server runs at " + std::to_string(serverRate) +
                              " Hz and Ampliro is set to " + std::to_string(chosenRate) + " Hz. ";
    if (const char* label = RateLabel(serverRate)) {
        return intro + "Choose " + label + " as the Sample Rate on the Configuration screen, " +
               "then press 'On/Off' again.";
    }
    return intro + "Ampliro cannot run at " + std::to_string(serverRate) +
           " Hz: restart the JACK server at 44100, 48000 or 96000 Hz, then press 'On/Off' again.";
}

int32_t JackSession::Open(uint32_t rate, std::unique_ptr<JackSession>& session,
                          std::string& error) {
    jack_client_t* client = OpenClient();
    if (client == nullptr) {
        error = "no JACK server answers";
        return kWaveNoDriver;
    }
    const uint32_t serverRate = jack_get_sample_rate(client);
    if (serverRate != rate) {
        jack_client_close(client);
        error = JackRateRefusalText(serverRate, rate);
        return kWaveBadFormat;
    }
    std::unique_ptr<JackSession> opened(new JackSession(client));
    if (jack_set_process_callback(client, &JackSession::Process, opened.get()) != 0 ||
        jack_set_xrun_callback(client, &JackSession::OnXrun, opened.get()) != 0 ||
        jack_set_buffer_size_callback(client, &JackSession::OnBufferSize, opened.get()) != 0 ||
        jack_set_sample_rate_callback(client, &JackSession::OnSampleRate, opened.get()) != 0 ||
        jack_set_latency_callback(client, &JackSession::OnLatency, opened.get()) != 0) {
        error = "the JACK server refused Ampliro's callbacks";
        return kWaveError;
    }
    jack_on_info_shutdown(client, &JackSession::OnShutdown, opened.get());
    // Without the MIDI port the audio still plays; a foot controller then
    // has nothing to connect to, which the graph shows.
    opened->midiIn_ =
        jack_port_register(client, kMidiInputName, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    session = std::move(opened);
    return kWaveOk;
}

uint32_t JackSession::ServerSampleRate() {
    jack_client_t* client = OpenClient();
    if (client == nullptr) return 0;
    const uint32_t rate = jack_get_sample_rate(client);
    jack_client_close(client);
    return rate;
}

JackSession::JackSession(jack_client_t* client)
    : client_(client), rate_(jack_get_sample_rate(client)), period_(jack_get_buffer_size(client)) {}

JackSession::~JackSession() {
    // Closing deactivates first: no callback runs once it returns.
    jack_client_close(client_);
}

bool JackSession::AttachCapture(ThreadQueue& notify, uintptr_t device) {
    if (active_ || input_ != nullptr) return false;
    input_ = jack_port_register(client_, kInputName, JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    if (input_ == nullptr) return false;
    queues_.AttachCapture(notify, device);
    return true;
}

bool JackSession::AttachPlayback(ThreadQueue& notify, uintptr_t device) {
    if (active_ || outputs_[0] != nullptr) return false;
    for (int i = 0; i < 2; ++i) {
        outputs_[i] = jack_port_register(client_, kOutputNames[i], JACK_DEFAULT_AUDIO_TYPE,
                                         JackPortIsOutput, 0);
        if (outputs_[i] == nullptr) {
            DetachPlayback();
            return false;
        }
    }
    queues_.AttachPlayback(notify, device);
    return true;
}

void JackSession::DetachCapture() {
    Stop();
    ReturnCaptureHeaders();
    if (input_ != nullptr) jack_port_unregister(client_, input_);
    input_ = nullptr;
    queues_.DetachCapture();
}

void JackSession::DetachPlayback() {
    Stop();
    ReturnPlaybackHeaders();
    for (jack_port_t*& port : outputs_) {
        if (port != nullptr) jack_port_unregister(client_, port);
        port = nullptr;
    }
    queues_.DetachPlayback();
}

int32_t JackSession::Start() {
    if (active_) return kWaveOk;
    if (failure_.load(std::memory_order_acquire) != kNoFailure) return kWaveError;
    period_.store(jack_get_buffer_size(client_), std::memory_order_relaxed);
    StreamHealth().serverBlockFrames.store(Period(), std::memory_order_relaxed);
    framesOwed_ = 0;
    playedBytes_ = 0;
    playbackBegun_ = false;
    if (jack_activate(client_) != 0) return kWaveError;
    active_ = true;
    ConnectPhysicalPorts();
    PublishLatency();
    return kWaveOk;
}

void JackSession::Stop() {
    if (!active_) return;
    jack_deactivate(client_);
    active_ = false;
    // The server no longer sets the block: the figures the user sees go
    // back to the latency setting's.
    StreamHealth().serverBlockFrames.store(0, std::memory_order_relaxed);
}

void JackSession::ReturnCaptureHeaders() {
    if (!active_) queues_.ReturnCaptures();
}

void JackSession::ReturnPlaybackHeaders() {
    if (active_) return;
    queues_.ReturnPlaybacks();
    playedBytes_ = 0;
}

JackSession::Failure JackSession::CurrentFailure(std::string& reason) const {
    const auto failure = static_cast<Failure>(failure_.load(std::memory_order_acquire));
    const std::string off = " The audio has been switched off; press 'On/Off' to start it again.";
    const uint32_t value = failedValue_.load(std::memory_order_relaxed);
    switch (failure) {
        case kNoFailure:
            break;
        case kServerGone:
            reason = "The JACK server has stopped";
            if (serverReason_[0] != '\0') reason += std::string(" (") + serverReason_ + ")";
            reason += "." + off;
            break;
        case kSampleRateChanged:
            reason = "The JACK server changed its sample rate from " + std::to_string(rate_) +
                     " to " + std::to_string(value) + " Hz." + off;
            break;
    }
    return failure;
}

std::string JackSession::ClientName() const {
    return jack_get_client_name(client_);
}

std::string JackSession::InputPortName() const {
    return input_ != nullptr ? jack_port_name(input_) : "";
}

std::string JackSession::OutputPortName(int channel) const {
    if (channel < 0 || channel > 1 || outputs_[channel] == nullptr) return "";
    return jack_port_name(outputs_[channel]);
}

std::string JackSession::MidiPortName() const {
    return midiIn_ != nullptr ? jack_port_name(midiIn_) : "";
}

int JackSession::Process(jack_nframes_t frames, void* arg) {
    auto* self = static_cast<JackSession*>(arg);
    float* left = nullptr;
    float* right = nullptr;
    if (self->outputs_[0] != nullptr) {
        left = static_cast<float*>(jack_port_get_buffer(self->outputs_[0], frames));
        right = static_cast<float*>(jack_port_get_buffer(self->outputs_[1], frames));
    }
    // After a failure the stream waits to be closed; it hears silence.
    if (self->failure_.load(std::memory_order_relaxed) != kNoFailure) {
        if (left != nullptr) {
            std::fill(left, left + frames, 0.0f);
            std::fill(right, right + frames, 0.0f);
        }
        return 0;
    }
    self->ReceiveMidi(frames);
    self->FollowPeriod(frames);
    if (self->input_ != nullptr) {
        self->Capture(static_cast<const float*>(jack_port_get_buffer(self->input_, frames)),
                      frames);
    }
    if (left != nullptr) self->Play(left, right, frames);
    return 0;
}

void JackSession::Capture(const float* in, uint32_t frames) {
    queues_.Record(
        frames,
        [in](int16_t* to, uint32_t first, uint32_t n) {
            for (uint32_t i = 0; i < n; ++i) to[i] = ToSample(in[first + i]);
        },
        [] {});
    // The cycle's block ends with the cycle: what the header holds goes to
    // the stream now, so that its output is ready for this cycle's ports.
    const WaveHeader* last = queues_.Captures().Front();
    if (last != nullptr && last->bytesRecorded.load(std::memory_order_relaxed) != 0) {
        queues_.FinishCapture();
    }
}

// The period the server runs at; each cycle has exactly that many frames, so
// a cycle of another length is the first at a new buffer size.
void JackSession::FollowPeriod(uint32_t frames) {
    if (frames == period_.load(std::memory_order_relaxed)) return;
    period_.store(frames, std::memory_order_relaxed);
    periodChanges_.fetch_add(1, std::memory_order_relaxed);
    StreamHealth().serverBlockFrames.store(frames, std::memory_order_relaxed);
}

void JackSession::Play(float* left, float* right, uint32_t frames) {
    const uint32_t volume = ReadOutputVolume();
    uint32_t done = 0;
    while (done < frames) {
        WaveHeader* header = queues_.Playbacks().Front();
        if (header == nullptr) {
            // Nothing to play: silence, and the frames are owed, so that the
            // next block is trimmed by as much and the latency stays put.
            std::fill(left + done, left + frames, 0.0f);
            framesOwed_ += frames - done;
            if (playbackBegun_) {
                shortfalls_.fetch_add(1, std::memory_order_relaxed);
                StreamHealth().underruns.fetch_add(1, std::memory_order_relaxed);
            }
            break;
        }
        const uint32_t remaining = (header->bufferLength - playedBytes_) / 2;
        uint32_t n = 0;
        if (framesOwed_ > 0) {
            n = std::min(framesOwed_, remaining);
            framesOwed_ -= n;
        } else {
            n = std::min(remaining, frames - done);
            const auto* samples = reinterpret_cast<const int16_t*>(header->data + playedBytes_);
            for (uint32_t first = 0; first < n; first += kChunkFrames) {
                int16_t chunk[kChunkFrames];
                const uint32_t count = std::min(kChunkFrames, n - first);
                ApplyOutputVolume(chunk, samples + first, count, volume);
                for (uint32_t i = 0; i < count; ++i) left[done + first + i] = ToFloat(chunk[i]);
            }
            done += n;
            playbackBegun_ = true;
        }
        playedBytes_ += n * 2;
        if (n == remaining) {
            playedBytes_ = 0;
            queues_.FinishPlayback();
        }
    }
    std::copy(left, left + frames, right);
}

// Each JACK MIDI event is one whole message (a SysEx included); the inbox
// takes it whole or not at all. Parsing waits for the main thread.
void JackSession::ReceiveMidi(uint32_t frames) {
    if (midiIn_ == nullptr) return;
    void* buffer = jack_port_get_buffer(midiIn_, frames);
    MidiInbox* inbox = midiInbox_.load(std::memory_order_acquire);
    if (buffer == nullptr || inbox == nullptr) return;
    const uint32_t count = jack_midi_get_event_count(buffer);
    for (uint32_t i = 0; i < count; ++i) {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, buffer, i) == 0 && event.size > 0) {
            inbox->Post(event.buffer, event.size);
        }
    }
}

void JackSession::Fail(Failure failure, const char* reason) {
    // The first failure claims the slot, writes its reason, then publishes.
    if (failureClaimed_.exchange(true, std::memory_order_acq_rel)) return;
    if (reason != nullptr) {
        size_t i = 0;
        for (; i + 1 < sizeof serverReason_ && reason[i] != '\0'; ++i) serverReason_[i] = reason[i];
        serverReason_[i] = '\0';
    }
    failure_.store(failure, std::memory_order_release);
}

int JackSession::OnXrun(void* arg) {
    auto* self = static_cast<JackSession*>(arg);
    self->xruns_.fetch_add(1, std::memory_order_relaxed);
    StreamHealth().underruns.fetch_add(1, std::memory_order_relaxed);
    return 0;
}

// The stream's pedals were set up for the rate at the open; when it changes
// the stream cannot follow.
void JackSession::FailOnChange(uint32_t value, uint32_t opened, Failure failure) {
    if (value == opened) return;
    failedValue_.store(value, std::memory_order_relaxed);
    Fail(failure, nullptr);
}

// The next cycles come at the new size; the process callback follows it
// (FollowPeriod), and the latency callback that the server sends after the
// change brings the figure shown up to date.
int JackSession::OnBufferSize(jack_nframes_t, void*) {
    return 0;
}

int JackSession::OnSampleRate(jack_nframes_t rate, void* arg) {
    auto* self = static_cast<JackSession*>(arg);
    self->FailOnChange(rate, self->rate_, kSampleRateChanged);
    return 0;
}

void JackSession::OnShutdown(jack_status_t, const char* reason, void* arg) {
    static_cast<JackSession*>(arg)->Fail(kServerGone, reason);
}

// Ampliro adds nothing between its input and its outputs: what arrives at
// the input leaves in the same cycle, in both directions of the graph.
void JackSession::OnLatency(jack_latency_callback_mode_t mode, void* arg) {
    auto* self = static_cast<JackSession*>(arg);
    if (self->input_ == nullptr || self->outputs_[0] == nullptr) return;
    jack_latency_range_t range{};
    if (mode == JackCaptureLatency) {
        jack_port_get_latency_range(self->input_, mode, &range);
        for (jack_port_t* port : self->outputs_) jack_port_set_latency_range(port, mode, &range);
    } else {
        jack_port_get_latency_range(self->outputs_[0], mode, &range);
        jack_port_set_latency_range(self->input_, mode, &range);
    }
    self->PublishLatency();
}

// The round trip from the physical input to the physical output is the
// capture port's latency and the playback port's latency. The figure shown
// adds the stream's block (the period) to the device's part, so the device's
// part is the round trip less one period.
void JackSession::PublishLatency() {
    if (input_ == nullptr || outputs_[0] == nullptr) return;
    jack_latency_range_t capture{};
    jack_latency_range_t playback{};
    jack_port_get_latency_range(input_, JackCaptureLatency, &capture);
    jack_port_get_latency_range(outputs_[0], JackPlaybackLatency, &playback);
    const uint32_t roundTrip = capture.max + playback.max;
    const uint32_t block = jack_get_buffer_size(client_);
    const uint32_t device = roundTrip > block ? roundTrip - block : 0;
    StreamHealth().deviceLatencyFrames.store(device, std::memory_order_relaxed);
}

void JackSession::ConnectPhysicalPorts() {
    if (input_ != nullptr) {
        if (const char** sources = jack_get_ports(client_, nullptr, JACK_DEFAULT_AUDIO_TYPE,
                                                  JackPortIsPhysical | JackPortIsOutput)) {
            if (sources[0] != nullptr) jack_connect(client_, sources[0], jack_port_name(input_));
            jack_free(sources);
        }
    }
    // Every MIDI controller the server knows as hardware is patched in, so a
    // foot controller plugged in before power-on works without patching.
    if (midiIn_ != nullptr) {
        if (const char** sources = jack_get_ports(client_, nullptr, JACK_DEFAULT_MIDI_TYPE,
                                                  JackPortIsPhysical | JackPortIsOutput)) {
            for (int i = 0; sources[i] != nullptr; ++i) {
                jack_connect(client_, sources[i], jack_port_name(midiIn_));
            }
            jack_free(sources);
        }
    }
    if (outputs_[0] != nullptr) {
        if (const char** sinks = jack_get_ports(client_, nullptr, JACK_DEFAULT_AUDIO_TYPE,
                                                JackPortIsPhysical | JackPortIsInput)) {
            for (int i = 0; i < 2 && sinks[i] != nullptr; ++i) {
                jack_connect(client_, jack_port_name(outputs_[i]), sinks[i]);
            }
            jack_free(sinks);
        }
    }
}

}  // namespace ampliro
