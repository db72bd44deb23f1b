// ampliro-soak-client: the soak's helper on the JACK graph (bench/soak_jack.sh).
//
//   ampliro-soak-client drive [--loop] [--rate N] [--seed N]
//       A client "soak" that plays MidiFlood into Ampliro:midi_in at N events
//       a second (default 1000) of the server's clock, and counts the
//       server's xruns. --loop also copies the first capture port to the
//       first two playback ports, as a plain loop client patched as Ampliro
//       is: the reference the xruns are read against. The server may stop
//       and start again under it: the client reopens and reconnects.
//       Commands on stdin, one a line:
//         list N        the preset list holds N presets
//         presets N     a program change every 100 ms across N presets
//                       (0 ends the stretch)
//         recorder 0|1  Record, Play, Stop and Pause among the flood or not
//         cc NUMBER VALUE, pc NUMBER   one message, sent next
//         status        prints a status line at once
//       It prints a status line of key=value pairs every second, and one
//       last at EOF, "quit" or SIGTERM: settled_by_period lists, for each
//       period, the xruns away from changes and the seconds run at it
//       ("16:xruns/seconds,32:...").
//   ampliro-soak-client check-preset FILE
//   ampliro-soak-client check-recording FILE
//       "whole ..." and exit code 0, or what is wrong and 1.
#include <jack/jack.h>
#include <jack/midiport.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "midi_flood.h"
#include "platform/threads/spsc_ring.h"
#include "whole_files.h"

namespace {

using namespace ampliro;

constexpr const char* kTarget = "Ampliro:midi_in";
// Xruns this soon after a new period or a (re)connection belong to the
// change, not to the load.
constexpr int64_t kSettleMs = 2000;

std::atomic<bool> gStop{false};

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The periods 16, 32, ... 1024 frames; others are not counted apart.
constexpr int kPeriods = 7;
int PeriodIndex(uint32_t frames) {
    for (int i = 0; i < kPeriods; ++i)
        if (frames == 16u << i) return i;
    return -1;
}

struct Driver {
    bool loop = false;
    uint32_t rate = 1000;
    MidiFlood flood{1};
    jack_client_t* client = nullptr;
    jack_port_t* midiOut = nullptr;
    jack_port_t* in = nullptr;
    jack_port_t* out[2] = {nullptr, nullptr};
    std::atomic<bool> gone{false};

    // Set by the main thread, read by the process callback.
    std::atomic<int32_t> presetStretch{0};
    std::atomic<int32_t> presetCount{1};
    std::atomic<bool> recorderCommands{true};
    // Single messages from the main thread to the process callback.
    SpscRing<FloodEvent> outbox{64};

    // The process callback's own clock and counts.
    uint64_t frames = 0;
    uint64_t due = 0;
    uint64_t nextPresetFrame = 0;
    std::atomic<uint64_t> sent{0};
    std::atomic<uint64_t> dropped{0};

    // Counts over every server the client has met.
    std::atomic<uint32_t> xruns{0};
    std::atomic<uint32_t> settledXruns{0};
    std::atomic<int64_t> disturbedMs{0};
    // By period, 16..1024 frames: settled xruns, and the milliseconds run.
    std::atomic<uint32_t> period{0};
    std::atomic<uint32_t> settledByPeriod[kPeriods] = {};
    int64_t msByPeriod[kPeriods] = {};
    uint32_t opens = 0;
    int64_t connectedMs = 0;
    int64_t openedSince = 0;
};

int Process(jack_nframes_t count, void* arg) {
    auto* d = static_cast<Driver*>(arg);
    if (d->loop) {
        const auto* in = static_cast<const float*>(jack_port_get_buffer(d->in, count));
        for (jack_port_t* port : d->out)
            std::memcpy(jack_port_get_buffer(port, count), in, count * sizeof(float));
    }
    void* buffer = jack_port_get_buffer(d->midiOut, count);
    jack_midi_clear_buffer(buffer);
    const uint32_t sampleRate = jack_get_sample_rate(d->client);
    d->flood.SetPresetCount(d->presetCount.load(std::memory_order_relaxed));
    d->flood.SetRecorderCommands(d->recorderCommands.load(std::memory_order_relaxed));
    // Events due by the end of this cycle on the server's clock, spread
    // evenly across it (event times never go down).
    d->frames += count;
    const uint64_t target = d->frames * d->rate / sampleRate;
    const uint64_t now = target - d->due;
    uint64_t written = 0;
    bool full = false;
    auto write = [&](const FloodEvent& event, jack_nframes_t time) {
        if (full || jack_midi_event_write(buffer, time, event.bytes, event.size) != 0) {
            full = true;
            d->dropped.fetch_add(1, std::memory_order_relaxed);
            return;
        }
        ++written;
    };
    for (size_t n = d->outbox.Available(); n > 0; --n) {
        write(d->outbox.At(0), 0);
        d->outbox.Consume(1);
    }
    const int32_t stretch = d->presetStretch.load(std::memory_order_relaxed);
    if (stretch > 0 && d->frames >= d->nextPresetFrame) {
        write(d->flood.NextPreset(), 0);
        d->nextPresetFrame = d->frames + sampleRate / 10;
    }
    for (uint64_t i = 0; i < now; ++i)
        write(d->flood.Next(), static_cast<jack_nframes_t>(i * count / now));
    d->due = target;
    d->sent.fetch_add(written, std::memory_order_relaxed);
    return 0;
}

int OnXrun(void* arg) {
    auto* d = static_cast<Driver*>(arg);
    d->xruns.fetch_add(1, std::memory_order_relaxed);
    if (NowMs() - d->disturbedMs.load(std::memory_order_relaxed) > kSettleMs) {
        d->settledXruns.fetch_add(1, std::memory_order_relaxed);
        const int at = PeriodIndex(d->period.load(std::memory_order_relaxed));
        if (at >= 0) d->settledByPeriod[at].fetch_add(1, std::memory_order_relaxed);
    }
    return 0;
}

int OnBufferSize(jack_nframes_t frames, void* arg) {
    static_cast<Driver*>(arg)->period.store(frames, std::memory_order_relaxed);
    static_cast<Driver*>(arg)->disturbedMs.store(NowMs(), std::memory_order_relaxed);
    return 0;
}

void OnShutdown(jack_status_t, const char*, void* arg) {
    static_cast<Driver*>(arg)->gone.store(true);
}

void Close(Driver& d) {
    if (d.client) {
        d.connectedMs += NowMs() - d.openedSince;
        jack_client_close(d.client);
    }
    d.client = nullptr;
}

bool Open(Driver& d) {
    jack_status_t status{};
    d.client = jack_client_open("soak", JackNoStartServer, &status);
    if (!d.client) return false;
    d.gone.store(false);
    d.midiOut =
        jack_port_register(d.client, "midi_out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    if (d.loop) {
        d.in = jack_port_register(d.client, "in", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        d.out[0] =
            jack_port_register(d.client, "out_left", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
        d.out[1] =
            jack_port_register(d.client, "out_right", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
    }
    jack_set_process_callback(d.client, Process, &d);
    jack_set_xrun_callback(d.client, OnXrun, &d);
    jack_set_buffer_size_callback(d.client, OnBufferSize, &d);
    jack_on_info_shutdown(d.client, OnShutdown, &d);
    d.frames = d.due = d.nextPresetFrame = 0;
    if (!d.midiOut || (d.loop && (!d.in || !d.out[0] || !d.out[1])) ||
        jack_activate(d.client) != 0) {
        jack_client_close(d.client);
        d.client = nullptr;
        return false;
    }
    d.openedSince = NowMs();
    d.period.store(jack_get_buffer_size(d.client), std::memory_order_relaxed);
    d.disturbedMs.store(d.openedSince, std::memory_order_relaxed);
    ++d.opens;
    if (d.loop) {
        if (const char** sources = jack_get_ports(d.client, nullptr, JACK_DEFAULT_AUDIO_TYPE,
                                                  JackPortIsPhysical | JackPortIsOutput)) {
            if (sources[0]) jack_connect(d.client, sources[0], jack_port_name(d.in));
            jack_free(sources);
        }
        if (const char** sinks = jack_get_ports(d.client, nullptr, JACK_DEFAULT_AUDIO_TYPE,
                                                JackPortIsPhysical | JackPortIsInput)) {
            for (int i = 0; i < 2 && sinks[i]; ++i)
                jack_connect(d.client, jack_port_name(d.out[i]), sinks[i]);
            jack_free(sinks);
        }
    }
    return true;
}

// Patches the flood to Ampliro's port whenever Ampliro has one.
bool KeepConnected(Driver& d) {
    if (!d.client) return false;
    jack_port_t* target = jack_port_by_name(d.client, kTarget);
    if (!target) return false;
    if (jack_port_connected_to(d.midiOut, kTarget)) return true;
    const bool connected = jack_connect(d.client, jack_port_name(d.midiOut), kTarget) == 0;
    if (connected) d.disturbedMs.store(NowMs(), std::memory_order_relaxed);
    return connected;
}

void PrintStatus(Driver& d, bool connected, const char* word) {
    const int64_t up = d.connectedMs + (d.client ? NowMs() - d.openedSince : 0);
    std::string byPeriod;
    for (int i = 0; i < kPeriods; ++i)
        byPeriod += (i ? "," : "") + std::to_string(16 << i) + ":" +
                    std::to_string(d.settledByPeriod[i].load()) + "/" +
                    std::to_string(d.msByPeriod[i] / 1000);
    std::printf(
        "%s xruns=%u settled_xruns=%u server_seconds=%.1f sent=%llu dropped=%llu opens=%u "
        "patched=%d settled_by_period=%s\n",
        word, d.xruns.load(), d.settledXruns.load(), static_cast<double>(up) / 1000.0,
        static_cast<unsigned long long>(d.sent.load()),
        static_cast<unsigned long long>(d.dropped.load()), d.opens, connected ? 1 : 0,
        byPeriod.c_str());
    std::fflush(stdout);
}

// One command line from the script; false at "quit".
bool Command(Driver& d, const std::string& line, bool connected) {
    int a = 0, b = 0;
    if (std::sscanf(line.c_str(), "list %d", &a) == 1) {
        if (a > 0) d.presetCount.store(a);
    } else if (std::sscanf(line.c_str(), "presets %d", &a) == 1) {
        if (a > 0) d.presetCount.store(a);
        d.presetStretch.store(a);
    } else if (std::sscanf(line.c_str(), "recorder %d", &a) == 1) {
        d.recorderCommands.store(a != 0);
    } else if (std::sscanf(line.c_str(), "cc %d %d", &a, &b) == 2) {
        FloodEvent event;
        event.size = 3;
        event.bytes[0] = 0xB0;
        event.bytes[1] = static_cast<uint8_t>(a & 0x7F);
        event.bytes[2] = static_cast<uint8_t>(b & 0x7F);
        d.outbox.PushAll(&event, 1);
    } else if (std::sscanf(line.c_str(), "pc %d", &a) == 1) {
        FloodEvent event;
        event.size = 2;
        event.bytes[0] = 0xC0;
        event.bytes[1] = static_cast<uint8_t>(a & 0x7F);
        d.outbox.PushAll(&event, 1);
    } else if (line == "status") {
        PrintStatus(d, connected, "status");
    } else if (line == "quit") {
        return false;
    }
    return true;
}

int Drive(int argc, char** argv) {
    static Driver d;
    uint32_t seed = 1;
    for (int i = 2; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--loop"))
            d.loop = true;
        else if (!std::strcmp(argv[i], "--rate") && i + 1 < argc)
            d.rate = static_cast<uint32_t>(std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--seed") && i + 1 < argc)
            seed = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
    }
    d.flood = MidiFlood(seed);
    std::signal(SIGTERM, [](int) { gStop.store(true); });
    std::signal(SIGINT, [](int) { gStop.store(true); });
    std::string pending;
    bool connected = false;
    int64_t lastStatus = NowMs();
    int64_t lastTick = NowMs();
    while (!gStop.load()) {
        if (d.client && d.gone.load()) Close(d);
        if (!d.client) Open(d);
        connected = KeepConnected(d);
        // The time run at each period, for the xruns' rates.
        const int64_t now = NowMs();
        const int at = PeriodIndex(d.period.load(std::memory_order_relaxed));
        if (d.client && at >= 0) d.msByPeriod[at] += now - lastTick;
        lastTick = now;
        pollfd fd{STDIN_FILENO, POLLIN, 0};
        if (::poll(&fd, 1, 100) > 0) {
            char chunk[256];
            const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
            if (n <= 0) break;
            pending.append(chunk, static_cast<size_t>(n));
            size_t end;
            while ((end = pending.find('\n')) != std::string::npos) {
                const std::string line = pending.substr(0, end);
                pending.erase(0, end + 1);
                if (!Command(d, line, connected)) gStop.store(true);
            }
        }
        if (NowMs() - lastStatus >= 1000) {
            lastStatus = NowMs();
            PrintStatus(d, connected, "status");
        }
    }
    Close(d);
    PrintStatus(d, connected, "result");
    return 0;
}

int Check(const char* kind, const char* path) {
    std::string problem;
    std::string detail;
    if (!std::strcmp(kind, "check-preset")) {
        const auto bytes = ReadWholeFile(path);
        problem = bytes.empty() ? "missing or empty" : PresetProblem(bytes);
        detail = std::to_string(bytes.size()) + " bytes";
    } else {
        int64_t samples = 0;
        problem = RecordingProblem(path, &samples);
        detail = std::to_string(samples) + " samples";
    }
    if (!problem.empty()) {
        std::printf("broken %s: %s\n", path, problem.c_str());
        return 1;
    }
    std::printf("whole %s: %s\n", path, detail.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && !std::strcmp(argv[1], "drive")) return Drive(argc, argv);
    if (argc == 3 &&
        (!std::strcmp(argv[1], "check-preset") || !std::strcmp(argv[1], "check-recording")))
        return Check(argv[1], argv[2]);
    std::fprintf(stderr,
                 "usage: ampliro-soak-client drive [--loop] [--rate N] [--seed N]\n"
                 "       ampliro-soak-client check-preset FILE\n"
                 "       ampliro-soak-client check-recording FILE\n");
    return 2;
}
