// How late this machine wakes a real-time thread, which bounds what any
// live audio client on it can promise: a thread at the audio thread's
// priority sleeps until the next tick of a fixed period (3 ms, the PulseAudio
// client's input fragment) and notes how late it woke.
//
//   wakeup_latency [--seconds N] [--period-us P]
//
// A sound server's audio passes several such wake-ups on its way through a
// client (the server's threads and the client's), so a wake-up later than
// the client's cushion is a gap the client cannot prevent. Run it on idle
// cores and beside a busy loop (`nice -n 19 yes >/dev/null`) to see what a
// core that is kept awake changes.
#include <time.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/threads/thread.h"

namespace {

constexpr int64_t kMillion = 1000000;
// Lateness thresholds in milliseconds.
constexpr std::array<int, 7> kOver = {1, 2, 5, 10, 15, 20, 30};

int64_t Now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000 * kMillion + t.tv_nsec;
}

void SleepUntil(int64_t ns) {
    timespec t{};
    t.tv_sec = ns / (1000 * kMillion);
    t.tv_nsec = ns % (1000 * kMillion);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, nullptr) != 0) {
    }
}

}  // namespace

int main(int argc, char** argv) {
    int seconds = 60;
    int64_t periodUs = 3000;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--seconds" && i + 1 < argc) {
            seconds = std::atoi(argv[++i]);
        } else if (arg == "--period-us" && i + 1 < argc) {
            periodUs = std::atoll(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: wakeup_latency [--seconds N] [--period-us P]\n");
            return 2;
        }
    }
    const bool realTime =
        ampliro::RaiseCurrentThreadToRealTime() == ampliro::ThreadPriority::kRealTime;
    std::printf("thread %s, period %lld us, %d s\n", realTime ? "real-time" : "not real-time",
                static_cast<long long>(periodUs), seconds);
    std::array<uint64_t, kOver.size()> over{};
    int64_t worst = 0;
    uint64_t wakes = 0;
    const int64_t period = periodUs * 1000;
    const int64_t start = Now();
    const int64_t end = start + seconds * 1000 * kMillion;
    int64_t report = start + 10 * 1000 * kMillion;
    for (int64_t tick = start + period; tick < end; tick += period) {
        SleepUntil(tick);
        const int64_t late = Now() - tick;
        ++wakes;
        worst = std::max(worst, late);
        for (size_t i = 0; i < kOver.size(); ++i)
            if (late >= kOver[i] * kMillion) ++over[i];
        // A wake-up later than a whole period skips the ticks it missed.
        while (tick + period < Now()) tick += period;
        if (tick >= report) {
            report += 10 * 1000 * kMillion;
            std::printf("%4lld s  worst so far %.1f ms, %llu later than 10 ms\n",
                        static_cast<long long>((tick - start) / (1000 * kMillion)),
                        static_cast<double>(worst) / kMillion,
                        static_cast<unsigned long long>(over[3]));
            std::fflush(stdout);
        }
    }
    const double minutes = seconds / 60.0;
    std::printf("%llu wake-ups, the latest %.1f ms late\n", static_cast<unsigned long long>(wakes),
                static_cast<double>(worst) / kMillion);
    for (size_t i = 0; i < kOver.size(); ++i) {
        std::printf("  at least %2d ms late: %8llu (%.2f a minute)\n", kOver[i],
                    static_cast<unsigned long long>(over[i]), over[i] / minutes);
    }
    return 0;
}
