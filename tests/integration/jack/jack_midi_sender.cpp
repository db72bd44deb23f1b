#include "jack_midi_sender.h"

#include <jack/midiport.h>

namespace ampliro {

bool JackMidiSender::Open() {
    jack_status_t status{};
    client_ = jack_client_open("controller", JackNoStartServer, &status);
    if (client_ == nullptr) return false;
    out_ = jack_port_register(client_, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    jack_set_process_callback(client_, &JackMidiSender::Process, this);
    return out_ != nullptr && jack_activate(client_) == 0;
}

void JackMidiSender::Close() {
    if (client_ != nullptr) jack_client_close(client_);
    client_ = nullptr;
}

bool JackMidiSender::ConnectTo(const std::string& port) {
    return jack_connect(client_, jack_port_name(out_), port.c_str()) == 0;
}

std::string JackMidiSender::OutName() const {
    return jack_port_name(out_);
}

void JackMidiSender::Send(const std::vector<uint8_t>& event) {
    std::lock_guard<std::mutex> lock(mutex_);
    pending_.push_back(event);
}

bool JackMidiSender::Sent() {
    std::lock_guard<std::mutex> lock(mutex_);
    return pending_.empty();
}

// A test's client: it may wait a cycle for the lock, which Ampliro's never does.
int JackMidiSender::Process(jack_nframes_t frames, void* arg) {
    auto* self = static_cast<JackMidiSender*>(arg);
    void* buffer = jack_port_get_buffer(self->out_, frames);
    jack_midi_clear_buffer(buffer);
    std::unique_lock<std::mutex> lock(self->mutex_, std::try_to_lock);
    if (!lock.owns_lock()) return 0;
    jack_nframes_t time = 0;
    while (!self->pending_.empty() && time < frames) {
        const std::vector<uint8_t>& event = self->pending_.front();
        if (jack_midi_event_write(buffer, time, event.data(), event.size()) != 0) break;
        self->pending_.pop_front();
        ++time;
    }
    return 0;
}

}  // namespace ampliro
