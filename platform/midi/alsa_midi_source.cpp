#include "platform/midi/alsa_midi_source.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <vector>

#include "platform/threads/thread.h"

namespace ampliro {
namespace {

constexpr const char* kClientName = "Ampliro";
constexpr const char* kPortName = "midi_in";

// The sequencer's own reports go to stderr by default; a missing sequencer
// is an ordinary answer here, reported once by the caller.
void Quiet(const char*, int, const char*, int, const char*, ...) {}

bool Fits7(int value) {
    return value >= 0 && value <= 127;
}

}  // namespace

size_t SeqEventToMidi(const snd_seq_event_t& event, uint8_t out[3]) {
    const snd_seq_ev_note_t& note = event.data.note;
    const snd_seq_ev_ctrl_t& control = event.data.control;
    auto channelOf = [](unsigned channel) { return static_cast<uint8_t>(channel); };
    switch (event.type) {
        case SND_SEQ_EVENT_NOTEOFF:
        case SND_SEQ_EVENT_NOTEON:
        case SND_SEQ_EVENT_KEYPRESS: {
            if (note.channel > 15 || !Fits7(note.note) || !Fits7(note.velocity)) return 0;
            const uint8_t kind = event.type == SND_SEQ_EVENT_NOTEOFF  ? 0x80
                                 : event.type == SND_SEQ_EVENT_NOTEON ? 0x90
                                                                      : 0xA0;
            out[0] = static_cast<uint8_t>(kind | channelOf(note.channel));
            out[1] = note.note;
            out[2] = note.velocity;
            return 3;
        }
        case SND_SEQ_EVENT_CONTROLLER:
            if (control.channel > 15 || control.param > 127 || !Fits7(control.value)) return 0;
            out[0] = static_cast<uint8_t>(0xB0 | channelOf(control.channel));
            out[1] = static_cast<uint8_t>(control.param);
            out[2] = static_cast<uint8_t>(control.value);
            return 3;
        case SND_SEQ_EVENT_PGMCHANGE:
        case SND_SEQ_EVENT_CHANPRESS:
            if (control.channel > 15 || !Fits7(control.value)) return 0;
            out[0] = static_cast<uint8_t>((event.type == SND_SEQ_EVENT_PGMCHANGE ? 0xC0 : 0xD0) |
                                          channelOf(control.channel));
            out[1] = static_cast<uint8_t>(control.value);
            return 2;
        case SND_SEQ_EVENT_PITCHBEND: {
            // The sequencer centres the bend on 0 (-8192..8191); MIDI on 8192.
            if (control.channel > 15 || control.value < -8192 || control.value > 8191) return 0;
            const int bend = control.value + 8192;
            out[0] = static_cast<uint8_t>(0xE0 | channelOf(control.channel));
            out[1] = static_cast<uint8_t>(bend & 0x7F);
            out[2] = static_cast<uint8_t>(bend >> 7);
            return 3;
        }
        default:
            return 0;
    }
}

bool AlsaMidiSource::Open(MidiInbox& inbox, std::string& error) {
    if (seq_ != nullptr) return true;
    // Quiet for the open only: the handler is the whole library's, and SDL
    // may use ALSA for the audio.
    snd_lib_error_set_handler(&Quiet);
    const int opened = snd_seq_open(&seq_, "default", SND_SEQ_OPEN_INPUT, SND_SEQ_NONBLOCK);
    snd_lib_error_set_handler(nullptr);
    if (opened < 0) {
        seq_ = nullptr;
        error = std::string("no ALSA sequencer (") + snd_strerror(opened) + ")";
        return false;
    }
    snd_seq_set_client_name(seq_, kClientName);
    port_ = snd_seq_create_simple_port(
        seq_, kPortName, SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE,
        SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
    stopFd_ = port_ >= 0 ? eventfd(0, EFD_CLOEXEC) : -1;
    if (port_ < 0 || stopFd_ < 0) {
        error = "the ALSA sequencer refused Ampliro's MIDI port";
        Close();
        return false;
    }
    client_ = snd_seq_client_id(seq_);
    inbox_ = &inbox;
    reader_ = std::thread(&AlsaMidiSource::Read, this);
    return true;
}

void AlsaMidiSource::Close() {
    if (reader_.joinable()) {
        // An eventfd write of 1 cannot fail short of a counter near 2^64.
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = write(stopFd_, &one, sizeof one);
        reader_.join();
    }
    if (stopFd_ >= 0) close(stopFd_);
    stopFd_ = -1;
    if (seq_ != nullptr) snd_seq_close(seq_);
    seq_ = nullptr;
    client_ = port_ = -1;
    inbox_ = nullptr;
}

void AlsaMidiSource::Read() {
    NameCurrentThread("ampliro-midi");
    const int seqFds = snd_seq_poll_descriptors_count(seq_, POLLIN);
    std::vector<pollfd> fds(static_cast<size_t>(seqFds) + 1);
    snd_seq_poll_descriptors(seq_, fds.data(), static_cast<unsigned>(seqFds), POLLIN);
    fds[static_cast<size_t>(seqFds)] = pollfd{stopFd_, POLLIN, 0};
    for (;;) {
        if (poll(fds.data(), fds.size(), -1) < 0) continue;
        if (fds[static_cast<size_t>(seqFds)].revents & POLLIN) return;
        snd_seq_event_t* event = nullptr;
        // -EAGAIN: drained; -ENOSPC: the kernel's queue overran and lost
        // events, the ones after it still come.
        for (int left = snd_seq_event_input(seq_, &event); left >= 0 || left == -ENOSPC;
             left = snd_seq_event_input(seq_, &event)) {
            uint8_t bytes[3];
            if (left >= 0 && event != nullptr) {
                if (const size_t n = SeqEventToMidi(*event, bytes)) inbox_->Post(bytes, n);
            }
        }
    }
}

}  // namespace ampliro
