#include "platform/audio/jack/jack_audio.h"

#include "platform/audio/jack/jack_server.h"

namespace ampliro {

JackAudioBackend::JackAudioBackend()
    : SessionAudioBackend({"JACK carries 16-bit mono streams only",
                           "the JACK server refused Ampliro's input port",
                           "the JACK server refused Ampliro's output ports"}) {}

bool JackAudioBackend::Answers() {
    return JackServerSampleRate() != 0;
}

std::string JackAudioBackend::CaptureDeviceName() {
    return "JACK client \"Ampliro\", input";
}

std::string JackAudioBackend::PlaybackDeviceName() {
    return "JACK client \"Ampliro\", outputs left and right";
}

void JackAudioBackend::Configure(JackSession& session) {
    SessionAudioBackend::Configure(session);
    session.SetMidiInbox(midiInbox_);
}

void JackAudioBackend::SetMidiInbox(MidiInbox* inbox) {
    midiInbox_ = inbox;
    if (std::shared_ptr<JackSession> session = Session()) session->SetMidiInbox(inbox);
}

uint32_t JackServerSampleRate() {
    return JackSession::ServerSampleRate();
}

}  // namespace ampliro
