#include "jack_probe.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace ampliro {

JackProbe::JackProbe() = default;

JackProbe::~JackProbe() {
    Close();
}

void JackProbe::Close() {
    if (client_ != nullptr) jack_client_close(client_);
    client_ = nullptr;
}

bool JackProbe::Open() {
    jack_status_t status{};
    client_ = jack_client_open("probe", JackNoStartServer, &status);
    if (client_ == nullptr) return false;
    out_ = jack_port_register(client_, "out", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
    in_ = jack_port_register(client_, "in", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    jack_set_process_callback(client_, &JackProbe::Process, this);
    jack_set_xrun_callback(client_, &JackProbe::OnXrun, this);
    jack_on_shutdown(client_, &JackProbe::OnShutdown, this);
    return out_ != nullptr && in_ != nullptr && jack_activate(client_) == 0;
}

bool JackProbe::Connect(const std::string& from, const std::string& to) {
    return jack_connect(client_, from.c_str(), to.c_str()) == 0;
}

bool JackProbe::Disconnect(const std::string& from, const std::string& to) {
    return jack_disconnect(client_, from.c_str(), to.c_str()) == 0;
}

std::string JackProbe::OutName() const {
    return jack_port_name(out_);
}

std::string JackProbe::InName() const {
    return jack_port_name(in_);
}

std::vector<float> JackProbe::PlayAndRecord(const std::vector<float>& signal) {
    signal_ = signal;
    recording_.assign(signal.size(), 0.0f);
    position_ = 0;
    done_.store(false, std::memory_order_relaxed);
    armed_.store(true, std::memory_order_release);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done_.load(std::memory_order_acquire)) {
        if (std::chrono::steady_clock::now() > deadline || gone_.load()) {
            armed_.store(false, std::memory_order_release);
            return {};
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    armed_.store(false, std::memory_order_release);
    return recording_;
}

int JackProbe::Process(jack_nframes_t frames, void* arg) {
    auto* self = static_cast<JackProbe*>(arg);
    auto* out = static_cast<float*>(jack_port_get_buffer(self->out_, frames));
    const auto* in = static_cast<const float*>(jack_port_get_buffer(self->in_, frames));
    // The input is read before the output is written: a port looped back to
    // this client may share the output's buffer.
    if (!self->armed_.load(std::memory_order_acquire) || self->done_.load()) {
        std::fill(out, out + frames, 0.0f);
        return 0;
    }
    const size_t total = self->signal_.size();
    const size_t n = std::min<size_t>(frames, total - self->position_);
    std::copy(in, in + n, self->recording_.begin() + static_cast<std::ptrdiff_t>(self->position_));
    std::copy(self->signal_.begin() + static_cast<std::ptrdiff_t>(self->position_),
              self->signal_.begin() + static_cast<std::ptrdiff_t>(self->position_ + n), out);
    std::fill(out + n, out + frames, 0.0f);
    self->position_ += n;
    if (self->position_ == total) self->done_.store(true, std::memory_order_release);
    return 0;
}

int JackProbe::OnXrun(void* arg) {
    static_cast<JackProbe*>(arg)->xruns_.fetch_add(1, std::memory_order_relaxed);
    return 0;
}

void JackProbe::OnShutdown(void* arg) {
    static_cast<JackProbe*>(arg)->gone_.store(true, std::memory_order_relaxed);
}

bool JackLoopback::Open() {
    jack_status_t status{};
    client_ = jack_client_open("loopback", JackNoStartServer, &status);
    if (client_ == nullptr) return false;
    in_ = jack_port_register(client_, "in", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    out_[0] = jack_port_register(client_, "out_left", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
    out_[1] =
        jack_port_register(client_, "out_right", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
    if (in_ == nullptr || out_[0] == nullptr || out_[1] == nullptr) return false;
    jack_set_process_callback(client_, &JackLoopback::Process, this);
    if (jack_activate(client_) != 0) return false;
    jack_connect(client_, "system:capture_1", jack_port_name(in_));
    jack_connect(client_, jack_port_name(out_[0]), "system:playback_1");
    jack_connect(client_, jack_port_name(out_[1]), "system:playback_2");
    return true;
}

void JackLoopback::Close() {
    if (client_ != nullptr) jack_client_close(client_);
    client_ = nullptr;
}

std::string JackLoopback::InName() const {
    return jack_port_name(in_);
}

std::string JackLoopback::OutName(int channel) const {
    return jack_port_name(out_[channel]);
}

int JackLoopback::Process(jack_nframes_t frames, void* arg) {
    auto* self = static_cast<JackLoopback*>(arg);
    const auto* in = static_cast<const float*>(jack_port_get_buffer(self->in_, frames));
    for (jack_port_t* port : self->out_) {
        auto* out = static_cast<float*>(jack_port_get_buffer(port, frames));
        std::copy(in, in + frames, out);
    }
    return 0;
}

int32_t LoopDelay(const std::vector<float>& signal, const std::vector<float>& recording) {
    if (signal.empty()) return -1;
    for (size_t i = 0; i < recording.size(); ++i) {
        if (recording[i] == signal[0]) return static_cast<int32_t>(i);
    }
    return -1;
}

}  // namespace ampliro
