// ampliro-live-bench: runs the real stream and the real pedal chain on a live
// back end, without a window, for a while, and prints what the guitarist
// would have heard go wrong: the server's xruns, the output's shortfalls, the
// blocks lost, and how long the slowest processing pass took.
//
//   ampliro-live-bench [--backend jack|live|none] [--seconds N] [--latency N]
//                      [--pedals all|none|KEYS] [--rate HZ] [--media FILES]
//
// KEYS lists effect keys 0..8 (Overdrive, Reverb, Chorus, Pitch Shifter,
// Delay, Phaser, Parametric EQ, Graphic EQ, Tremolo), such as 0,3,6.
//
// --media takes amp models and impulse responses, separated by commas: the
// gate, the amp and the cabinet are switched on too, and the files are
// loaded in turn, one every half second, while the audio plays, as a player
// trying models would (media_loads counts those installed).
//
// --backend none runs no stream: a plain loopback JACK client, patched as
// Ampliro is, counts the server's xruns over the same time, the reference
// the figures are read against.
// --seconds 0 runs until SIGINT or SIGTERM. The results are one line of
// key=value pairs on stdout; a line "ready ..." comes first once the stream
// runs, with the ports to patch a measuring client to.
#include <jack/jack.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/media_loader.h"
#include "audio/audio_settings.h"
#include "audio/effect_chain.h"
#include "audio/power.h"
#include "audio/processing_pass.h"
#include "audio/stream.h"
#include "effects/pedalboard.h"
#include "platform/audio/audio_health.h"
#include "platform/audio/jack/jack_audio.h"

namespace {

using namespace ampliro;

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

struct Options {
    std::string backend = "jack";
    long seconds = 600;
    int32_t latency = 1;
    // Which pedals are on, bit k for effect key k.
    uint32_t pedals = 0x1FF;
    int32_t rate = 48000;
    std::vector<std::string> media;
};

std::atomic<bool> gStop{false};
std::atomic<uint32_t> gBlocks{0};
std::atomic<uint32_t> gSlowestPassMicros{0};
// Passes longer than one server period, which the cycle cannot absorb.
std::atomic<uint32_t> gPeriodMicros{~0u};
std::atomic<uint32_t> gPassesOverPeriod{0};
// The first second after power-on, when the pedals' buffers are touched for
// the first time, and the slowest pass after it.
std::atomic<uint32_t> gWarmUpBlocks{0};
std::atomic<uint32_t> gSlowestSteadyMicros{0};

void RaiseTo(std::atomic<uint32_t>& slowest, uint32_t micros) {
    uint32_t seen = slowest.load(std::memory_order_relaxed);
    while (micros > seen && !slowest.compare_exchange_weak(seen, micros)) {
    }
}

void OnSignal(int) {
    gStop.store(true);
}

int Usage(const char* problem) {
    if (problem) std::fprintf(stderr, "ampliro-live-bench: %s\n", problem);
    std::fprintf(stderr,
                 "usage: ampliro-live-bench [--backend jack|live|none] [--seconds N] "
                 "[--latency N] [--pedals all|none|KEYS] [--rate HZ] [--media FILES]\n");
    return kExitUsage;
}

bool ParseNumber(const char* text, long low, long high, long& value) {
    char* end = nullptr;
    value = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && value >= low && value <= high;
}

// "all", "none" or a comma-separated list of effect keys.
bool ParsePedals(const char* text, uint32_t& pedals) {
    if (std::strcmp(text, "all") == 0 || std::strcmp(text, "none") == 0) {
        pedals = text[0] == 'a' ? 0x1FF : 0;
        return true;
    }
    pedals = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p < '0' || *p > '8' || (p[1] != ',' && p[1] != '\0')) return false;
        pedals |= 1u << (*p - '0');
        if (p[1] == ',') ++p;
    }
    return pedals != 0;
}

int ParseArguments(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") return Usage(nullptr);
        if (i + 1 >= argc) return Usage((arg + " needs a value").c_str());
        const char* value = argv[++i];
        long number = 0;
        if (arg == "--backend") {
            options.backend = value;
            if (options.backend != "jack" && options.backend != "live" && options.backend != "none")
                return Usage("the back end is jack, live or none");
        } else if (arg == "--seconds") {
            if (!ParseNumber(value, 0, 86400, number)) return Usage("seconds: 0 to 86400");
            options.seconds = number;
        } else if (arg == "--latency") {
            if (!ParseNumber(value, kMinLatency, kMaxLatency, number))
                return Usage("the latency is a whole number from 1 to 50");
            options.latency = static_cast<int32_t>(number);
        } else if (arg == "--pedals") {
            if (!ParsePedals(value, options.pedals))
                return Usage("pedals: all, none or effect keys 0..8 such as 0,3,6");
        } else if (arg == "--media") {
            for (std::string rest = value; !rest.empty();) {
                const size_t comma = rest.find(',');
                options.media.push_back(rest.substr(0, comma));
                rest = comma == std::string::npos ? "" : rest.substr(comma + 1);
            }
        } else if (arg == "--rate") {
            if (!ParseNumber(value, 1, 192000, number)) return Usage("the rate is in Hz");
            options.rate = static_cast<int32_t>(number);
        } else {
            return Usage(("unknown option " + arg).c_str());
        }
    }
    return 0;
}

// The processing pass, timed: the number of blocks and the slowest pass.
int TimedPass(int16_t* samples, int32_t count) {
    const auto start = std::chrono::steady_clock::now();
    const int result = ProcessingPass(samples, count);
    const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(
                            std::chrono::steady_clock::now() - start)
                            .count();
    const auto took = static_cast<uint32_t>(micros);
    RaiseTo(gSlowestPassMicros, took);
    if (gBlocks.fetch_add(1, std::memory_order_relaxed) >= gWarmUpBlocks.load()) {
        RaiseTo(gSlowestSteadyMicros, took);
    }
    if (took > gPeriodMicros.load(std::memory_order_relaxed)) {
        gPassesOverPeriod.fetch_add(1, std::memory_order_relaxed);
    }
    return result;
}

// What --media loads, and how many of its files were installed.
MediaLoader* gLoader = nullptr;
std::vector<std::string> gMedia;
uint32_t gMediaRequests = 0;
uint32_t gMediaErrors = 0;

// Installs what the loader finished; counts the files it refused.
void CollectMedia() {
    MediaLoader::Outcome outcome;
    while (gLoader->Poll(outcome)) {
        if (outcome.title.find("Not Loaded") != std::string::npos) {
            ++gMediaErrors;
            std::fprintf(stderr, "ampliro-live-bench: %s\n", outcome.text.c_str());
        }
        outcome = {};
    }
}

// Waits for the time given, a signal or a failure; the failure's text, if any.
// Every fifth tick (half a second) asks for the next media file.
std::string Run(long seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    std::string reason;
    for (size_t tick = 0; !gStop.load() && (seconds == 0 || std::chrono::steady_clock::now() < end);
         ++tick) {
        if (AudioBackendFailed(reason)) return reason;
        if (gLoader != nullptr) {
            MediaLoader::Outcome outcome;
            if (tick % 5 == 0 && gLoader->Request(gMedia[tick / 5 % gMedia.size()], outcome))
                ++gMediaRequests;
            CollectMedia();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return {};
}

// The reference: a plain loopback client, ports and connections as
// Ampliro's, that copies its input to both outputs. What it sees is what any
// client on this server sees; the difference to Ampliro is Ampliro's own.
struct Loopback {
    jack_port_t* in = nullptr;
    jack_port_t* out[2] = {nullptr, nullptr};
    std::atomic<uint32_t> xruns{0};
};

int LoopbackProcess(jack_nframes_t frames, void* arg) {
    auto* loop = static_cast<Loopback*>(arg);
    const auto* in = static_cast<const float*>(jack_port_get_buffer(loop->in, frames));
    for (jack_port_t* port : loop->out) {
        auto* out = static_cast<float*>(jack_port_get_buffer(port, frames));
        std::memcpy(out, in, frames * sizeof(float));
    }
    return 0;
}

int LoopbackXrun(void* arg) {
    static_cast<Loopback*>(arg)->xruns.fetch_add(1, std::memory_order_relaxed);
    return 0;
}

void ConnectLikeAmpliro(jack_client_t* client, Loopback& loop) {
    if (const char** sources = jack_get_ports(client, nullptr, JACK_DEFAULT_AUDIO_TYPE,
                                              JackPortIsPhysical | JackPortIsOutput)) {
        if (sources[0] != nullptr) jack_connect(client, sources[0], jack_port_name(loop.in));
        jack_free(sources);
    }
    if (const char** sinks = jack_get_ports(client, nullptr, JACK_DEFAULT_AUDIO_TYPE,
                                            JackPortIsPhysical | JackPortIsInput)) {
        for (int i = 0; i < 2 && sinks[i] != nullptr; ++i) {
            jack_connect(client, jack_port_name(loop.out[i]), sinks[i]);
        }
        jack_free(sinks);
    }
}

int RunReference(const Options& options) {
    jack_status_t status{};
    jack_client_t* client = jack_client_open("ampliro-reference", JackNoStartServer, &status);
    if (client == nullptr) {
        std::fprintf(stderr, "ampliro-live-bench: no JACK server answers\n");
        return kExitFailure;
    }
    static Loopback loop;
    loop.in = jack_port_register(client, "in", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    loop.out[0] =
        jack_port_register(client, "out_left", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
    loop.out[1] =
        jack_port_register(client, "out_right", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
    if (loop.in == nullptr || loop.out[0] == nullptr || loop.out[1] == nullptr) {
        std::fprintf(stderr, "ampliro-live-bench: the server refused the ports\n");
        jack_client_close(client);
        return kExitFailure;
    }
    jack_set_process_callback(client, LoopbackProcess, &loop);
    jack_set_xrun_callback(client, LoopbackXrun, &loop);
    jack_activate(client);
    ConnectLikeAmpliro(client, loop);
    std::printf("ready backend=none client=%s\n", jack_get_client_name(client));
    std::fflush(stdout);
    const auto start = std::chrono::steady_clock::now();
    Run(options.seconds);
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const uint32_t xruns = loop.xruns.load();
    std::printf("backend=none seconds=%.1f xruns=%u xruns_per_minute=%.2f\n", elapsed, xruns,
                xruns * 60.0 / elapsed);
    jack_client_close(client);
    return 0;
}

int32_t RateIndexFor(int32_t rate) {
    for (int32_t index = 1; index < kSampleRateCount; ++index) {
        if (SampleRateForIndex(index) == rate) return index;
    }
    return -1;
}

int RunStream(const Options& options) {
    const int32_t rateIndex = RateIndexFor(options.rate);
    if (rateIndex < 0) {
        std::fprintf(stderr, "ampliro-live-bench: Ampliro does not run at %d Hz\n", options.rate);
        return kExitFailure;
    }
    static Pedalboard board;
    SetChainEffects(board.AllByKey());
    RestoreDefaultOrder();
    SetLatencySetting(options.latency);
    ApplySampleRate(rateIndex);
    for (int32_t key = 0; key < kEffectCount; ++key) {
        if (options.pedals & (1u << key)) board.ByKey(key)->ToggleEnabled();
    }
    static std::unique_ptr<MediaLoader> loader;
    if (!options.media.empty()) {
        for (Effect* pedal :
             {static_cast<Effect*>(&board.noiseGate), static_cast<Effect*>(&board.amp),
              static_cast<Effect*>(&board.cabinet)})
            pedal->ToggleEnabled();
        loader = std::make_unique<MediaLoader>(board.amp, board.cabinet);
        gLoader = loader.get();
        gMedia = options.media;
    }

    static JackAudioBackend jack;
    SetAudioBackend(options.backend == "jack" ? &jack : nullptr);
    if (StartAudioThread(&TimedPass) != 0) {
        std::fprintf(stderr, "ampliro-live-bench: no audio thread\n");
        return kExitFailure;
    }
    StreamHealth().Reset();
    gWarmUpBlocks.store(static_cast<uint32_t>(options.rate) * 2 / StreamBufferSize());
    const int32_t opened = OpenAudioStream();
    if (opened != kStreamOk) {
        std::fprintf(stderr, "ampliro-live-bench: %s\n", AudioOpenFailureText(opened));
        StopAudioStream();
        return kExitFailure;
    }
    const std::shared_ptr<JackSession> session = jack.Session();
    // On JACK the block is the server's period.
    const uint32_t blockFrames = session ? session->Period() : StreamBufferSize() / 2;
    if (session) {
        gPeriodMicros.store(static_cast<uint32_t>(session->Period() * 1000000ull /
                                                  static_cast<uint32_t>(options.rate)));
        std::printf("ready backend=jack client=%s in=%s out_left=%s out_right=%s\n",
                    session->ClientName().c_str(), session->InputPortName().c_str(),
                    session->OutputPortName(0).c_str(), session->OutputPortName(1).c_str());
    } else {
        std::printf("ready backend=%s\n", options.backend.c_str());
    }
    std::fflush(stdout);

    const auto start = std::chrono::steady_clock::now();
    const std::string failure = Run(options.seconds);
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (gLoader != nullptr) {
        while (gLoader->Busy()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        CollectMedia();
    }
    const AudioHealth& health = StreamHealth();
    const uint32_t xruns = session ? session->Xruns() : 0;
    std::printf(
        "backend=%s seconds=%.1f pedals=0x%03x latency=%d rate=%d block_frames=%u period_frames=%u "
        "period_changes=%u xruns=%u xruns_per_minute=%.2f shortfalls=%u dropped_blocks=%u "
        "blocks=%u slowest_pass_us=%u slowest_pass_after_1s_us=%u passes_over_period=%u "
        "block_us=%u "
        "device_latency_frames=%u media_loads=%u media_errors=%u\n",
        options.backend.c_str(), elapsed, options.pedals, options.latency, options.rate,
        blockFrames, session ? session->Period() : 0, session ? session->PeriodChanges() : 0, xruns,
        xruns * 60.0 / elapsed, session ? session->OutputShortfalls() : health.underruns.load(),
        health.droppedBlocks.load(), gBlocks.load(), gSlowestPassMicros.load(),
        gSlowestSteadyMicros.load(), gPassesOverPeriod.load(),
        static_cast<uint32_t>(blockFrames * 1000000ull / static_cast<uint32_t>(options.rate)),
        health.deviceLatencyFrames.load(), gMediaRequests - gMediaErrors, gMediaErrors);
    std::fflush(stdout);
    StopAudioStream();
    if (!failure.empty()) {
        std::fprintf(stderr, "ampliro-live-bench: %s\n", failure.c_str());
        return kExitFailure;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (const int usage = ParseArguments(argc, argv, options); usage != 0) return usage;
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    return options.backend == "none" ? RunReference(options) : RunStream(options);
}
