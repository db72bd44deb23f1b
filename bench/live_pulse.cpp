// Plays a guitar through the live stream on a sound server and measures what
// a player hears: the round-trip latency and the dropouts.
//
//   live_pulse --seconds N [--latency L] [--pedals] [--reference] [--sdl]
//
// The rig (bench/live_pulse.sh sets it up) has two virtual sinks: "guitar",
// whose monitor is the default source Ampliro captures, and "amp", the
// default sink Ampliro plays into. This tool's probe plays a 441 Hz sine with
// a click every half second into "guitar" and records the monitor of "amp".
// The latency of a click is the time between the probe writing it and the
// probe reading it back; the probe's own buffers add the same amount to every
// run, so the figure that counts is this minus the same measurement through
// the server's own loopback (--reference: the tool then runs the probe
// alone). A gap is a run of silence inside the sine. Ampliro plays through
// the devices it would choose (on this rig its PulseAudio client), or with
// --sdl through SDL's two devices.
//
// The time of a callback is only known to a few milliseconds, so the drift
// is measured in samples instead: a click written as the probe's output
// sample n and read back as its input sample m has m - n constant for as
// long as nothing in between gains or loses audio; its spread over the run
// is the drift, exact to a sample.
#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "audio/audio_settings.h"
#include "audio/effect_chain.h"
#include "audio/processing_pass.h"
#include "audio/stream.h"
#include "effects/pedalboard.h"
#include "platform/audio/audio_health.h"
#include "platform/audio/sdl/sdl_audio.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRate = 44100;
constexpr int kSinePeriod = 100;  // 441 Hz
constexpr int kClickEvery = kRate / 2;
constexpr int16_t kSineAmplitude = 3000;
constexpr int16_t kClick = 30000;

double Seconds(Clock::time_point t) {
    return std::chrono::duration<double>(t.time_since_epoch()).count();
}

struct Probe {
    std::mutex lock;
    // Playback side: samples written so far, and when each click left.
    int64_t written = 0;
    std::vector<double> clickSent;
    // Capture side.
    int64_t read = 0;
    bool heard = false;
    int zeroRun = 0;
    int gaps = 0;
    int64_t lastClickAt = -kRate;
    std::vector<double> latencies;  // seconds, one per click heard
    std::vector<double> heardAt;    // seconds since the start
    std::vector<int64_t> offsets;   // m - n, samples, one per click heard
    double start = 0;
};

Probe gProbe;

void Play(void*, Uint8* stream, int length) {
    const double now = Seconds(Clock::now());
    auto* out = reinterpret_cast<int16_t*>(stream);
    const int count = length / 2;
    std::lock_guard<std::mutex> guard(gProbe.lock);
    for (int i = 0; i < count; ++i) {
        const int64_t n = gProbe.written + i;
        const double phase = 2.0 * M_PI * static_cast<double>(n % kSinePeriod) / kSinePeriod;
        int16_t v = static_cast<int16_t>(std::lround(kSineAmplitude * std::sin(phase)));
        if (n % kClickEvery == 0) {
            v = kClick;
            gProbe.clickSent.push_back(now + static_cast<double>(i) / kRate);
        }
        out[i] = v;
    }
    gProbe.written += count;
}

void Record(void*, Uint8* stream, int length) {
    const double now = Seconds(Clock::now());
    const auto* in = reinterpret_cast<const int16_t*>(stream);
    const int count = length / 2;
    std::lock_guard<std::mutex> guard(gProbe.lock);
    for (int i = 0; i < count; ++i) {
        const int16_t v = in[i];
        const int64_t n = gProbe.read + i;
        if (v != 0) gProbe.heard = true;
        if (!gProbe.heard) continue;
        if (v == 0) {
            if (++gProbe.zeroRun == 4) ++gProbe.gaps;
        } else {
            gProbe.zeroRun = 0;
        }
        if (v > kClick * 2 / 3 && n - gProbe.lastClickAt > kClickEvery / 2) {
            gProbe.lastClickAt = n;
            // The first click is paired with the one that left last before
            // it came back (the latency is under the half second between
            // clicks); each later one with the click its predecessor's
            // offset points at, so a late callback cannot pair it wrongly.
            const double at = now - static_cast<double>(count - i) / kRate;
            const auto sent =
                std::lower_bound(gProbe.clickSent.begin(), gProbe.clickSent.end(), at);
            if (sent == gProbe.clickSent.begin()) continue;
            int64_t index = (sent - 1 - gProbe.clickSent.begin()) * int64_t{kClickEvery};
            if (!gProbe.offsets.empty()) {
                const int64_t expected = n - gProbe.offsets.back();
                index = (expected + kClickEvery / 2) / kClickEvery * kClickEvery;
            }
            const auto k = static_cast<size_t>(index / kClickEvery);
            if (k >= gProbe.clickSent.size()) continue;
            gProbe.latencies.push_back(at - gProbe.clickSent[k]);
            gProbe.heardAt.push_back(at - gProbe.start);
            gProbe.offsets.push_back(n - index);
        }
    }
    gProbe.read += count;
}

// The first device whose name holds `part`.
std::string FindDevice(bool capture, const char* part) {
    const int count = SDL_GetNumAudioDevices(capture ? 1 : 0);
    for (int i = 0; i < count; ++i) {
        const char* name = SDL_GetAudioDeviceName(i, capture ? 1 : 0);
        if (name != nullptr && std::strstr(name, part) != nullptr) return name;
    }
    return {};
}

SDL_AudioDeviceID OpenProbe(bool capture, const std::string& name) {
    SDL_AudioSpec want{};
    want.freq = kRate;
    want.format = AUDIO_S16SYS;
    want.channels = 1;
    want.samples = 2048;
    want.callback = capture ? Record : Play;
    SDL_AudioSpec have{};
    return SDL_OpenAudioDevice(name.c_str(), capture ? 1 : 0, &want, &have, 0);
}

void EnableEveryPedal(ampliro::Pedalboard& board) {
    ampliro::Effect* const* all = board.AllByKey().data();
    for (int key = 0; key < 9; ++key) all[key]->enabled.store(1);
}

}  // namespace

int main(int argc, char** argv) {
    int seconds = 60;
    int latency = ampliro::kDefaultLatency;
    bool pedals = false;
    bool reference = false;
    bool sdl = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--seconds" && i + 1 < argc) {
            seconds = std::atoi(argv[++i]);
        } else if (arg == "--latency" && i + 1 < argc) {
            latency = std::atoi(argv[++i]);
        } else if (arg == "--pedals") {
            pedals = true;
        } else if (arg == "--reference") {
            reference = true;
        } else if (arg == "--sdl") {
            sdl = true;
        } else {
            std::fprintf(
                stderr,
                "usage: live_pulse --seconds N [--latency L] [--pedals] [--reference] [--sdl]\n");
            return 2;
        }
    }
    if (SDL_Init(SDL_INIT_AUDIO) != 0) {
        std::fprintf(stderr, "live_pulse: %s\n", SDL_GetError());
        return 1;
    }
    const std::string sink = FindDevice(false, "guitar");
    const std::string monitor = FindDevice(true, "Monitor of amp");
    if (sink.empty() || monitor.empty()) {
        std::fprintf(stderr, "live_pulse: the rig's devices are missing\n");
        return 1;
    }
    gProbe.start = Seconds(Clock::now());
    const SDL_AudioDeviceID in = OpenProbe(true, monitor);
    const SDL_AudioDeviceID out = OpenProbe(false, sink);
    if (in == 0 || out == 0) {
        std::fprintf(stderr, "live_pulse: %s\n", SDL_GetError());
        return 1;
    }
    SDL_PauseAudioDevice(in, 0);
    SDL_PauseAudioDevice(out, 0);

    static ampliro::Pedalboard board;
    static ampliro::SdlAudioBackend sdlDevices;
    if (sdl) ampliro::SetAudioBackend(&sdlDevices);
    if (!reference) {
        ampliro::SetChainEffects(board.AllByKey());
        ampliro::RestoreDefaultOrder();
        ampliro::SetLatencySetting(latency);
        ampliro::ApplySampleRate(ampliro::kDefaultSampleRateIndex);
        if (pedals) EnableEveryPedal(board);
        ampliro::StartAudioThread(ampliro::ProcessingPass);
        const int32_t opened = ampliro::OpenAudioStream();
        if (opened != 0) {
            std::fprintf(stderr, "live_pulse: the stream did not open (%d)\n", opened);
            return 1;
        }
    }
    const ampliro::AudioHealth& health = ampliro::StreamHealth();
    for (int t = 10; t <= seconds; t += 10) {
        std::this_thread::sleep_for(std::chrono::seconds(10));
        std::lock_guard<std::mutex> guard(gProbe.lock);
        const double last = gProbe.latencies.empty() ? 0 : gProbe.latencies.back();
        const double moved =
            gProbe.offsets.empty()
                ? 0
                : static_cast<double>(gProbe.offsets.back() - gProbe.offsets.front()) / kRate;
        std::printf(
            "%4d s  latency %6.1f ms (%+.1f ms since the first click)  gaps %d  lost blocks %u  "
            "under-runs %u  passes %u\n",
            t, last * 1000, moved * 1000, gProbe.gaps, health.droppedBlocks.load(),
            health.underruns.load(), health.passes.load());
        std::fflush(stdout);
    }
    SDL_CloseAudioDevice(out);
    SDL_CloseAudioDevice(in);
    if (!reference) ampliro::StopAudioStream();

    std::lock_guard<std::mutex> guard(gProbe.lock);
    const double minutes = seconds / 60.0;
    const uint32_t lost = health.droppedBlocks.load() + health.underruns.load();
    std::printf("stream dropouts %u (%.2f a minute); passes %u, slower than their block %u\n", lost,
                lost / minutes, health.passes.load(), health.slowPasses.load());
    const std::vector<double>& l = gProbe.latencies;
    if (l.size() < 4) {
        // The pedals (overdrive, pitch, delay, reverb) reshape the clicks and
        // fill the silences: only the stream's own counts tell then.
        std::printf("no clicks came back: latency and gaps not measured\n");
        return pedals ? 0 : 1;
    }
    // The first two seconds settle; the figure at power-on is the median of
    // the clicks of the next two.
    std::vector<double> early;
    for (size_t i = 0; i < l.size(); ++i)
        if (gProbe.heardAt[i] > 2 && gProbe.heardAt[i] <= 4) early.push_back(l[i]);
    if (early.empty()) early.push_back(l.front());
    std::sort(early.begin(), early.end());
    const double atStart = early[early.size() / 2];
    // The drift, exact to a sample: the spread of m - n after the first two
    // seconds, and where it ended against where it began.
    int64_t low = gProbe.offsets.back(), high = low, first = -1;
    for (size_t i = 0; i < l.size(); ++i) {
        if (gProbe.heardAt[i] <= 2) continue;
        if (first < 0) first = gProbe.offsets[i];
        low = std::min(low, gProbe.offsets[i]);
        high = std::max(high, gProbe.offsets[i]);
    }
    if (first < 0) first = gProbe.offsets.back();
    const auto ms = [](int64_t samples) { return 1000.0 * static_cast<double>(samples) / kRate; };
    std::printf(
        "latency at start %.1f ms; since then it moved between %+.1f and %+.1f ms (drift %.1f "
        "ms) and ended at %+.1f ms\n",
        atStart * 1000, ms(low - first), ms(high - first), ms(high - low),
        ms(gProbe.offsets.back() - first));
    std::printf("gaps heard %d (%.2f a minute)\n", gProbe.gaps, gProbe.gaps / minutes);
    return 0;
}
