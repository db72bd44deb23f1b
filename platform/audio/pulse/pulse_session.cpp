#include "platform/audio/pulse/pulse_session.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "platform/audio/audio_health.h"
#include "platform/audio/output_volume.h"
#include "platform/threads/thread.h"

namespace ampliro {
namespace {

constexpr const char* kClientName = "Ampliro";
// The input's fragment: short, since a late read loses nothing (the server
// keeps the input until it is read) and every millisecond of it is latency.
constexpr uint32_t kFragmentMicros = 3000;
// The silence the output is kept ahead by at power-on: long enough to ride
// out a late wake-up of this thread, short against the block. Each time the
// server runs dry anyway it grows by a step, until it is 10 ms longer than
// it began: a machine that wakes its threads late gets the margin it needs,
// and the latency stays within 10 ms of its value at power-on.
constexpr uint32_t kCushionMicros = 10000;
constexpr uint32_t kCushionStepMicros = 5000;
constexpr uint32_t kCushionGrowthMicros = 10000;
// How long the main thread waits for the server to answer a request.
constexpr auto kAnswerTime = std::chrono::seconds(2);
// The latency shown is read again about once a second.
constexpr uint32_t kLatencyEvery = 1;

uint32_t FramesOf(uint32_t micros, uint32_t rate) {
    return static_cast<uint32_t>(static_cast<uint64_t>(micros) * rate / 1000000u);
}

// Runs the loop on the calling thread until `ready` says yes or no, or the
// server takes too long; the loop is not running anywhere else.
template <typename Ready>
bool Await(pa_mainloop* loop, Ready ready) {
    const auto deadline = std::chrono::steady_clock::now() + kAnswerTime;
    for (;;) {
        const int state = ready();
        if (state != 0) return state > 0;
        if (std::chrono::steady_clock::now() > deadline) return false;
        if (pa_mainloop_prepare(loop, 20000) < 0 || pa_mainloop_poll(loop) < 0 ||
            pa_mainloop_dispatch(loop) < 0) {
            return false;
        }
    }
}

bool ConnectContext(pa_mainloop* loop, pa_context* context) {
    if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) return false;
    return Await(loop, [context] {
        const pa_context_state_t state = pa_context_get_state(context);
        if (state == PA_CONTEXT_READY) return 1;
        return PA_CONTEXT_IS_GOOD(state) ? 0 : -1;
    });
}

struct Connection {
    pa_mainloop* loop = nullptr;
    pa_context* context = nullptr;

    bool Open() {
        loop = pa_mainloop_new();
        if (loop == nullptr) return false;
        context = pa_context_new(pa_mainloop_get_api(loop), kClientName);
        return context != nullptr && ConnectContext(loop, context);
    }
    void Close() {
        if (context != nullptr) {
            pa_context_disconnect(context);
            pa_context_unref(context);
        }
        if (loop != nullptr) pa_mainloop_free(loop);
        context = nullptr;
        loop = nullptr;
    }
};

}  // namespace

int32_t PulseSession::Open(uint32_t rate, std::unique_ptr<PulseSession>& session,
                           std::string& error) {
    Connection connection;
    if (!connection.Open()) {
        connection.Close();
        error = "no PulseAudio server answers";
        return kWaveNoDriver;
    }
    session.reset(new PulseSession(connection.loop, connection.context, rate));
    return kWaveOk;
}

bool PulseSession::ServerAnswers() {
    Connection connection;
    const bool answers = connection.Open();
    connection.Close();
    return answers;
}

PulseSession::PulseSession(pa_mainloop* loop, pa_context* context, uint32_t rate)
    : loop_(loop), context_(context), rate_(rate) {
    pa_context_set_state_callback(context_, &PulseSession::OnContextState, this);
}

PulseSession::~PulseSession() {
    Stop();
    pa_context_set_state_callback(context_, nullptr, nullptr);
    pa_context_disconnect(context_);
    pa_context_unref(context_);
    pa_mainloop_free(loop_);
}

bool PulseSession::AttachCapture(ThreadQueue& notify, uintptr_t device) {
    if (running_ || HasCapture()) return false;
    queues_.AttachCapture(notify, device);
    return true;
}

bool PulseSession::AttachPlayback(ThreadQueue& notify, uintptr_t device) {
    if (running_ || HasPlayback()) return false;
    queues_.AttachPlayback(notify, device);
    return true;
}

void PulseSession::DetachCapture() {
    Stop();
    ReturnCaptureHeaders();
    queues_.DetachCapture();
}

void PulseSession::DetachPlayback() {
    Stop();
    ReturnPlaybackHeaders();
    queues_.DetachPlayback();
}

int32_t PulseSession::Start() {
    if (running_) return kWaveOk;
    if (failed_.load(std::memory_order_acquire)) return kWaveError;
    blockFrames_ = queues_.BlockFrames();
    fragmentFrames_ = std::max<uint32_t>(FramesOf(kFragmentMicros, rate_), 16);
    const uint32_t cushion = FramesOf(kCushionMicros, rate_);
    cushion_.store(cushion, std::memory_order_relaxed);
    cushionLimit_ = cushion + FramesOf(kCushionGrowthMicros, rate_);
    silenceDue_ = 0;
    correction_ = 0;
    playbackBegun_ = false;
    sinceLatency_ = 0;
    lastCount_ = 0;
    fade_.Cancel();
    judge_.Start(blockFrames_, 2 * rate_);
    if (!ConnectStreams()) {
        DisconnectStreams();
        return kWaveError;
    }
    StreamHealth().deviceLatencyFrames.store(fragmentFrames_ + cushion, std::memory_order_relaxed);
    stopping_.store(false, std::memory_order_relaxed);
    thread_ = std::thread([this] { Run(); });
    running_ = true;
    return kWaveOk;
}

void PulseSession::Stop() {
    if (!running_) return;
    stopping_.store(true, std::memory_order_release);
    pa_mainloop_wakeup(loop_);
    thread_.join();
    running_ = false;
    DisconnectStreams();
}

bool PulseSession::ConnectStreams() {
    pa_sample_spec spec{};
    spec.format = PA_SAMPLE_S16NE;
    spec.rate = rate_;
    spec.channels = 1;
    const auto timing =
        static_cast<pa_stream_flags_t>(PA_STREAM_AUTO_TIMING_UPDATE | PA_STREAM_INTERPOLATE_TIMING);
    if (HasCapture()) {
        record_ = pa_stream_new(context_, "Ampliro input", &spec, nullptr);
        if (record_ == nullptr) return false;
        pa_buffer_attr in{};
        in.maxlength = UINT32_MAX;
        in.tlength = UINT32_MAX;
        in.prebuf = UINT32_MAX;
        in.minreq = UINT32_MAX;
        in.fragsize = fragmentFrames_ * 2;
        pa_stream_set_state_callback(record_, &PulseSession::OnStreamState, this);
        pa_stream_set_read_callback(record_, &PulseSession::OnRead, this);
        // The source's own buffer is kept to the fragment too.
        const auto flags = static_cast<pa_stream_flags_t>(timing | PA_STREAM_ADJUST_LATENCY);
        if (pa_stream_connect_record(record_, nullptr, &in, flags) < 0 || !WaitUntilReady(record_))
            return false;
    }
    if (HasPlayback()) {
        playback_ = pa_stream_new(context_, "Ampliro output", &spec, nullptr);
        if (playback_ == nullptr) return false;
        // The sink takes our output in pieces of a fragment (early requests
        // set its own buffer to that), so the cushion is all the margin
        // there is and nearly all of it stays ours. The stream starts corked
        // and is uncorked behind the first block; with no pre-buffering the
        // server never stops it again: a stretch it has to play before our
        // data comes is silence, and the late data's head is cut, so every
        // sample keeps the time it was given and a late wake-up costs a gap
        // but never latency.
        pa_buffer_attr out{};
        out.maxlength = UINT32_MAX;
        const uint32_t cushion = cushion_.load(std::memory_order_relaxed);
        out.tlength = (cushion + 2 * blockFrames_) * 2;
        out.prebuf = 0;
        out.minreq = fragmentFrames_ * 2;
        out.fragsize = UINT32_MAX;
        const auto flags = static_cast<pa_stream_flags_t>(timing | PA_STREAM_EARLY_REQUESTS |
                                                          PA_STREAM_START_CORKED);
        pa_stream_set_state_callback(playback_, &PulseSession::OnStreamState, this);
        pa_stream_set_underflow_callback(playback_, &PulseSession::OnUnderflow, this);
        if (pa_stream_connect_playback(playback_, nullptr, &out, flags, nullptr, nullptr) < 0 ||
            !WaitUntilReady(playback_)) {
            return false;
        }
    }
    return true;
}

bool PulseSession::WaitUntilReady(pa_stream* stream) {
    return Await(loop_, [stream] {
        const pa_stream_state_t state = pa_stream_get_state(stream);
        if (state == PA_STREAM_READY) return 1;
        return PA_STREAM_IS_GOOD(state) ? 0 : -1;
    });
}

void PulseSession::DisconnectStreams() {
    for (pa_stream** stream : {&record_, &playback_}) {
        if (*stream == nullptr) continue;
        pa_stream_set_state_callback(*stream, nullptr, nullptr);
        pa_stream_set_read_callback(*stream, nullptr, nullptr);
        pa_stream_set_underflow_callback(*stream, nullptr, nullptr);
        pa_stream_disconnect(*stream);
        pa_stream_unref(*stream);
        *stream = nullptr;
    }
}

void PulseSession::ReturnCaptureHeaders() {
    if (!running_) queues_.ReturnCaptures();
}

void PulseSession::ReturnPlaybackHeaders() {
    if (!running_) queues_.ReturnPlaybacks();
}

bool PulseSession::Failed(std::string& reason) const {
    if (!failed_.load(std::memory_order_acquire)) return false;
    reason = "The sound server has stopped";
    if (reason_[0] != '\0') reason += std::string(" (") + reason_ + ")";
    reason += ". The audio has been switched off; press 'On/Off' to start it again.";
    return true;
}

void PulseSession::Run() {
    NameCurrentThread("ampliro-pulse");
    RaiseCurrentThreadToRealTime();
    while (!stopping_.load(std::memory_order_acquire)) {
        if (pa_mainloop_iterate(loop_, 1, nullptr) < 0) break;
    }
}

void PulseSession::OnContextState(pa_context* context, void* arg) {
    if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context))) {
        static_cast<PulseSession*>(arg)->Fail(pa_strerror(pa_context_errno(context)));
    }
}

void PulseSession::OnStreamState(pa_stream* stream, void* arg) {
    if (!PA_STREAM_IS_GOOD(pa_stream_get_state(stream))) {
        auto* self = static_cast<PulseSession*>(arg);
        self->Fail(pa_strerror(pa_context_errno(self->context_)));
    }
}

void PulseSession::Fail(const char* reason) {
    if (failed_.load(std::memory_order_relaxed)) return;
    size_t i = 0;
    for (; reason != nullptr && i + 1 < sizeof reason_ && reason[i] != '\0'; ++i) {
        reason_[i] = reason[i];
    }
    reason_[i] = '\0';
    failed_.store(true, std::memory_order_release);
}

void PulseSession::OnRead(pa_stream* stream, size_t, void* arg) {
    auto* self = static_cast<PulseSession*>(arg);
    while (pa_stream_readable_size(stream) > 0) {
        const void* data = nullptr;
        size_t bytes = 0;
        if (pa_stream_peek(stream, &data, &bytes) < 0 || bytes == 0) return;
        // A hole in the input (data null) is heard as silence.
        self->Capture(static_cast<const int16_t*>(data), static_cast<uint32_t>(bytes / 2));
        pa_stream_drop(stream);
    }
}

void PulseSession::OnUnderflow(pa_stream*, void* arg) {
    auto* self = static_cast<PulseSession*>(arg);
    if (!self->playbackBegun_) return;
    StreamHealth().underruns.fetch_add(1, std::memory_order_relaxed);
    // The server played silence for want of data: the next block goes out
    // behind a step more of it, so the margin grows.
    const uint32_t cushion = self->cushion_.load(std::memory_order_relaxed);
    if (cushion < self->cushionLimit_) {
        const uint32_t longer =
            std::min(cushion + FramesOf(kCushionStepMicros, self->rate_), self->cushionLimit_);
        self->cushion_.store(longer, std::memory_order_relaxed);
        self->silenceDue_ += longer - cushion;
        // The level stands higher by the step on purpose.
        self->judge_.Raise(longer - cushion);
    }
}

void PulseSession::Capture(const int16_t* samples, uint32_t count) {
    queues_.Record(
        count,
        [samples](int16_t* to, uint32_t first, uint32_t n) {
            if (samples != nullptr) {
                std::memcpy(to, samples + first, n * 2);
            } else {
                std::memset(to, 0, n * 2);
            }
        },
        [this] { Play(); });
}

void PulseSession::Play() {
    while (const WaveHeader* header = queues_.Playbacks().Front()) {
        WriteBlock(reinterpret_cast<const int16_t*>(header->data), header->bufferLength / 2);
        queues_.FinishPlayback();
    }
}

void PulseSession::WriteBlock(const int16_t* samples, uint32_t count) {
    if (playback_ == nullptr || count == 0) return;
    if (!playbackBegun_) {
        // Input already waiting to be read will follow at once: it stands
        // for as much of the cushion.
        const size_t waiting = record_ != nullptr ? pa_stream_readable_size(record_) : 0;
        const uint32_t backlog =
            waiting == static_cast<size_t>(-1) ? 0 : static_cast<uint32_t>(waiting / 2);
        const uint32_t cushion = cushion_.load(std::memory_order_relaxed);
        silenceDue_ = cushion > backlog ? cushion - backlog : 0;
    } else {
        // The level the server holds: its output latency, our data included.
        pa_usec_t latency = 0;
        int negative = 0;
        if (pa_stream_get_latency(playback_, &latency, &negative) == 0 && negative == 0) {
            const int32_t correction =
                judge_.Add(FramesOf(static_cast<uint32_t>(latency), rate_), count);
            if (correction != 0) correction_ = correction;
        }
    }
    WriteSilence();
    if (correction_ > 0) {
        // One block too many on the way: this one goes, and the next one
        // fades in from where it began.
        correction_ = 0;
        fade_.Begin(samples, count);
        drops_.fetch_add(1, std::memory_order_relaxed);
        StreamHealth().droppedBlocks.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    if (correction_ < 0 && lastCount_ > 0) {
        // One block short: the last one plays again, faded in from this one.
        fade_.Begin(samples, count);
        Write(last_, lastCount_);
        repeats_.fetch_add(1, std::memory_order_relaxed);
    }
    correction_ = 0;
    Write(samples, count);
    lastCount_ = std::min(count, kMaxBlock);
    std::memcpy(last_, samples + (count - lastCount_), lastCount_ * 2);
    if (!playbackBegun_) {
        playbackBegun_ = true;
        if (pa_operation* uncork = pa_stream_cork(playback_, 0, nullptr, nullptr))
            pa_operation_unref(uncork);
    }
    if (++sinceLatency_ * static_cast<uint64_t>(count) >= kLatencyEvery * rate_) {
        sinceLatency_ = 0;
        PublishLatency();
    }
}

void PulseSession::WriteSilence() {
    while (silenceDue_ > 0) {
        const uint32_t n = std::min(silenceDue_, kMaxBlock);
        pa_stream_write(playback_, silence_, n * 2, nullptr, 0, PA_SEEK_RELATIVE);
        silenceDue_ -= n;
    }
}

void PulseSession::Write(const int16_t* samples, uint32_t count) {
    const uint32_t volume = ReadOutputVolume();
    for (uint32_t first = 0; first < count; first += kMaxBlock) {
        const uint32_t n = std::min(kMaxBlock, count - first);
        ApplyOutputVolume(out_, samples + first, n, volume);
        fade_.Apply(out_, n);
        pa_stream_write(playback_, out_, n * 2, nullptr, 0, PA_SEEK_RELATIVE);
    }
}

// What the devices add beyond the block: the input waiting to be read and
// the output waiting to be heard, as the server reckons them.
void PulseSession::PublishLatency() {
    uint32_t frames = 0;
    for (pa_stream* stream : {record_, playback_}) {
        pa_usec_t latency = 0;
        int negative = 0;
        if (stream != nullptr && pa_stream_get_latency(stream, &latency, &negative) == 0 &&
            negative == 0) {
            frames += FramesOf(static_cast<uint32_t>(latency), rate_);
        }
    }
    if (frames > 0) StreamHealth().deviceLatencyFrames.store(frames, std::memory_order_relaxed);
}

}  // namespace ampliro
