#include "audio/power.h"

#include <cstdio>

#include "audio/stream.h"
#include "platform/clock.h"
#include "platform/wave_device.h"

namespace ampliro {

namespace {

const PowerStream kRealStream{OpenAudioStream, CloseAudioStream, IsAudioRunning};

struct PowerState {
    uint32_t powerOnTime = 0;
    FrameRateMeter meter;
    PowerView* view = nullptr;
    AudioErrorSink sink = nullptr;
    const PowerStream* stream = &kRealStream;
    PowerClock clock = Milliseconds;
};

PowerState& State() {
    static PowerState state;
    return state;
}

void Show(bool on) {
    if (State().view) State().view->ShowPower(on);
}

void Tell(const char* text) {
    if (State().sink) State().sink(kAudioErrorTitle, text);
}

}  // namespace

uint32_t FrameRateMeter::Sample(uint32_t now) {
    ticks[counter % 16] = now;
    ++counter;
    if (counter < 16) return 0;
    const uint32_t elapsed = now - ticks[counter % 16];
    return elapsed == 0 ? 999 : 16000 / elapsed;
}

void FrameRateMeter::Reset() {
    for (uint32_t& tick : ticks) tick = 0;
    counter = 0;
}

const char* AudioOpenFailureText(int code) {
    static char text[512];
    // The back end's own words name the rate the sound server needs.
    if (code == kSampleRateRefused) {
        std::snprintf(text, sizeof text, "%s", CurrentAudioBackend().LastError().c_str());
        return text;
    }
    const char* reason = "the audio stream could not be started";
    switch (code) {
        case kCaptureOpenFailed:
            reason = "the audio input device could not be opened";
            break;
        case kPlaybackOpenFailed:
            reason = "the audio output device could not be opened";
            break;
        case kPlaybackPrepareFailed:
        case kCapturePrepareFailed:
            reason = "the audio buffers could not be prepared";
            break;
        case kCaptureAddFailed:
            reason = "the audio input refused a buffer";
            break;
        case kCaptureStartFailed:
            reason = "the audio input could not be started";
            break;
        default:
            break;
    }
    std::snprintf(text, sizeof text,
                  "The audio devices could not be opened (error %d: %s). Check that an audio "
                  "input and output are connected and not in use by another program, then "
                  "press 'On/Off' again.",
                  code, reason);
    return text;
}

void SetPower(int on) {
    PowerState& state = State();
    if (on == 1) {
        const uint32_t now = state.clock();
        // 0 means disarmed, so the one instant the clock reads 0 counts as 1.
        state.powerOnTime = now ? now : 1;
        const int result = state.stream->open ? state.stream->open() : -1;
        if (result == 0) {
            Show(true);
            return;
        }
        // A stream that did not open must not look as if it runs: the switch
        // and the lamp go dark and the user learns why.
        state.powerOnTime = 0;
        if (state.stream->close) state.stream->close();
        Show(false);
        Tell(AudioOpenFailureText(result));
    } else if (on == 0) {
        state.powerOnTime = 0;
        if (state.stream->close) state.stream->close();
        Show(false);
    }
}

void CheckAudioOverload() {
    PowerState& state = State();
    if (state.powerOnTime == 0) return;
    const uint32_t now = state.clock();
    if (state.meter.Sample(now) >= kOverloadFrameRate) return;
    if (now - state.powerOnTime > kOverloadGraceMs) {
        SetPower(0);
        Tell(kOverloadText);
    }
}

bool AudioPowered() {
    return State().stream->running && State().stream->running();
}
uint32_t PowerOnTime() {
    return State().powerOnTime;
}
FrameRateMeter& OverloadMeter() {
    return State().meter;
}
void DisarmOverloadWatchdog() {
    State().powerOnTime = 0;
}
void SetPowerView(PowerView* view) {
    State().view = view;
}
void SetAudioErrorSink(AudioErrorSink sink) {
    State().sink = sink;
}
void SetPowerStream(const PowerStream* stream) {
    State().stream = stream ? stream : &kRealStream;
}
void SetPowerClock(PowerClock clock) {
    State().clock = clock ? clock : Milliseconds;
}

}  // namespace ampliro
