#include "audio/power.h"

#include <cstdio>

#include "audio/stream.h"
#include "platform/audio/audio_health.h"
#include "platform/audio/wave_device.h"
#include "platform/system/clock.h"

namespace ampliro {

namespace {

const PowerStream kRealStream{OpenAudioStream, CloseAudioStream, IsAudioRunning,
                              AudioBackendFailed};

// What the watchdog saw at the start of the current window.
struct OverloadWindow {
    uint32_t start = 0;
    uint32_t busyMicros = 0;
    uint32_t blockMicros = 0;
    uint32_t lost = 0;
    // When the first of the overloaded windows in a row ended; 0 for none.
    uint32_t troubleSince = 0;
};

struct PowerState {
    uint32_t powerOnTime = 0;
    OverloadWindow window;
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

void StartWindow(OverloadWindow& window, uint32_t now) {
    const AudioHealth& health = StreamHealth();
    window.start = now;
    window.busyMicros = health.busyMicros.load(std::memory_order_relaxed);
    window.blockMicros = health.blockMicros.load(std::memory_order_relaxed);
    window.lost = health.droppedBlocks.load(std::memory_order_relaxed);
}

// Whether the audio fell behind since the window began: the passes needed
// more time than their blocks last (a load above 1), captured blocks were
// lost, or a pass has not come back for two seconds.
bool WindowOverloaded(const OverloadWindow& window) {
    const AudioHealth& health = StreamHealth();
    const uint32_t busy = health.busyMicros.load(std::memory_order_relaxed) - window.busyMicros;
    const uint32_t lasts = health.blockMicros.load(std::memory_order_relaxed) - window.blockMicros;
    const uint32_t lost = health.droppedBlocks.load(std::memory_order_relaxed) - window.lost;
    const uint32_t passStart = health.passStartMicros.load(std::memory_order_relaxed);
    const bool stuck = passStart != 0 && MonotonicMicros() - passStart > kStuckPassMicros;
    return busy > lasts || lost != 0 || stuck;
}

}  // namespace

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
        state.window = OverloadWindow{};
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
    std::string reason;
    if (AudioPowered() && state.stream->failed && state.stream->failed(reason)) {
        SetPower(0);
        Tell(reason.c_str());
        return;
    }
    if (state.powerOnTime == 0) return;
    const uint32_t now = state.clock();
    OverloadWindow& window = state.window;
    // The grace covers the devices' start, whose first blocks may come late;
    // the first window begins when it ends.
    if (now - state.powerOnTime <= kOverloadGraceMs || window.start == 0) {
        StartWindow(window, now ? now : 1);
        return;
    }
    if (now - window.start < kOverloadWindowMs) return;
    if (!WindowOverloaded(window)) {
        window.troubleSince = 0;
    } else if (window.troubleSince == 0) {
        window.troubleSince = now ? now : 1;
    } else if (now - window.troubleSince > kOverloadHoldMs) {
        SetPower(0);
        Tell(kOverloadText);
        return;
    }
    StartWindow(window, now ? now : 1);
}

bool AudioPowered() {
    return State().stream->running && State().stream->running();
}
uint32_t PowerOnTime() {
    return State().powerOnTime;
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
