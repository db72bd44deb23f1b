#include "reference_harness.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "effects/record_io.h"

namespace ampliro::reference {
namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
constexpr int32_t kRunDivisor = 4;
#else
constexpr bool kSanitized = false;
constexpr int32_t kRunDivisor = 1;
#endif

std::string Describe(const PedalUnderTest& pedal, const Setting& setting, int32_t rate,
                     Signal signal, int32_t pattern) {
    std::ostringstream out;
    out << pedal.name << " '" << setting.name << "' at " << rate << " Hz, " << SignalName(signal)
        << ", blocks of " << (pattern == 0 ? std::string("random size") : std::to_string(pattern));
    return out.str();
}

}  // namespace

bool LoadRecord(Effect& fx, const Record& record) {
    std::FILE* f = std::tmpfile();
    if (!f) return false;
    for (int32_t word : record) WriteInt32(f, word);
    std::rewind(f);
    fx.Load(f);
    std::fclose(f);
    return true;
}

bool StartBlockPath(Effect& fx, int32_t key, int32_t rate, const Record& record) {
    fx.Init(rate, key);
    if (!LoadRecord(fx, record)) return false;
    fx.Init(rate, key);
    return true;
}

const char* SignalName(Signal signal) {
    switch (signal) {
        case Signal::kSquare:
            return "square";
        case Signal::kSine:
            return "sine";
        default:
            return "noise";
    }
}

std::vector<int16_t> MakeSignal(Signal signal, int32_t rate, int32_t count) {
    std::vector<int16_t> s(count);
    uint32_t seed = 0x2545F491u;
    for (int32_t i = 0; i < count; ++i) {
        switch (signal) {
            case Signal::kSquare:
                // 73-sample half periods: 300 Hz at 44100 Hz, not a divisor
                // of any block size.
                s[i] = (i / 73) % 2 ? int16_t{-32768} : int16_t{32767};
                break;
            case Signal::kSine:
                s[i] = static_cast<int16_t>(
                    std::lround(32767.0 * std::sin(6.283185307179586 * 997.0 * i / rate)));
                break;
            default:
                seed = seed * 1664525u + 1013904223u;
                s[i] = static_cast<int16_t>(static_cast<uint16_t>(seed >> 16));
        }
    }
    return s;
}

const std::vector<int32_t>& BlockPatterns() {
    static const std::vector<int32_t> patterns =
        kSanitized ? std::vector<int32_t>{1, 7, 255, 4800, 0}
                   : std::vector<int32_t>{1, 2, 3, 7, 64, 255, 256, 1000, 4800, 0};
    return patterns;
}

std::vector<Signal> SignalsFor(size_t index) {
    const Signal all[3] = {Signal::kSquare, Signal::kSine, Signal::kNoise};
    if (kSanitized) return {all[index % 3]};
    return {all[0], all[1], all[2]};
}

std::vector<int32_t> BlockSizesOf(int32_t pattern, int32_t count, int32_t maxBlock) {
    std::vector<int32_t> sizes;
    uint32_t seed = 977u;
    for (int32_t done = 0; done < count;) {
        int32_t n = pattern;
        if (pattern == 0) {
            seed = seed * 1103515245u + 12345u;
            // Mostly short blocks with a long one now and then.
            n = (seed >> 16) % 4 == 0 ? 1 + static_cast<int32_t>((seed >> 8) % maxBlock)
                                      : 1 + static_cast<int32_t>((seed >> 8) % 300);
        }
        n = std::min(n, count - done);
        sizes.push_back(n);
        done += n;
    }
    return sizes;
}

int32_t FloatBits(float f) {
    int32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

int32_t RunSamples(const Setting& setting, int32_t rate) {
    const int64_t samples = static_cast<int64_t>(rate) * setting.millis / 1000;
    return static_cast<int32_t>(std::max<int64_t>(samples / kRunDivisor, 2000));
}

::testing::AssertionResult SameOutput(const PedalUnderTest& pedal, const Setting& setting,
                                      int32_t rate, Signal signal, int32_t pattern,
                                      const std::vector<ControlMove>& moves) {
    std::unique_ptr<Effect> fast = pedal.makeBlockPath();
    if (!StartBlockPath(*fast, pedal.key, rate, setting.record)) {
        return ::testing::AssertionFailure() << "no temporary file for the record";
    }
    std::unique_ptr<Pedal> plain = pedal.makeReference(rate, setting.record);

    const int32_t count = RunSamples(setting, rate);
    const std::vector<int16_t> input = MakeSignal(signal, rate, count);
    std::vector<int16_t> viaBlocks = input, viaReference = input;
    int32_t start = 0;
    size_t nextMove = 0;
    for (int32_t n : BlockSizesOf(pattern, count, pedal.maxBlock)) {
        while (nextMove < moves.size() &&
               static_cast<int64_t>(moves[nextMove].atMillis) * rate <= int64_t{start} * 1000) {
            const ControlMove& move = moves[nextMove++];
            fast->OnControl(move.id, move.value);
            if (!plain->MoveControl(move.id, move.value)) {
                return ::testing::AssertionFailure()
                       << "the reference takes no control " << move.id;
            }
        }
        fast->ProcessBlock(viaBlocks.data() + start, n);
        plain->ProcessBlock(viaReference.data() + start, n);
        for (int32_t i = start; i < start + n; ++i) {
            if (viaBlocks[i] != viaReference[i]) {
                return ::testing::AssertionFailure()
                       << Describe(pedal, setting, rate, signal, pattern)
                       << ": first difference at sample " << i << " (input " << input[i]
                       << "): block path " << viaBlocks[i] << ", reference " << viaReference[i];
            }
        }
        start += n;
        const int32_t lit = fast->peakIndicator.load();
        if (fast->peakHold != plain->peak().hold || lit != plain->peak().lit) {
            return ::testing::AssertionFailure()
                   << Describe(pedal, setting, rate, signal, pattern) << ": peak lamp after sample "
                   << start - 1 << ": block path lit " << lit << " hold " << fast->peakHold
                   << ", reference lit " << plain->peak().lit << " hold " << plain->peak().hold;
        }
    }
    return ::testing::AssertionSuccess();
}

}  // namespace ampliro::reference
