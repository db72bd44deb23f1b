#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "effects/units/impulse_response/impulse_response_reader.h"

namespace ampliro::dsp {
namespace {

constexpr int32_t kSession = 48000;

// A sound file written by libsndfile into memory.
struct MemoryWriter {
    std::vector<std::byte> bytes;
    sf_count_t position = 0;
};

SF_VIRTUAL_IO WriterIo() {
    SF_VIRTUAL_IO io{};
    io.get_filelen = [](void* u) {
        return static_cast<sf_count_t>(static_cast<MemoryWriter*>(u)->bytes.size());
    };
    io.seek = [](sf_count_t offset, int whence, void* u) {
        auto* w = static_cast<MemoryWriter*>(u);
        const sf_count_t base = whence == SEEK_SET   ? 0
                                : whence == SEEK_CUR ? w->position
                                                     : static_cast<sf_count_t>(w->bytes.size());
        w->position = base + offset;
        return w->position;
    };
    io.read = [](void* to, sf_count_t n, void* u) {
        auto* w = static_cast<MemoryWriter*>(u);
        n = std::clamp<sf_count_t>(static_cast<sf_count_t>(w->bytes.size()) - w->position, 0, n);
        std::memcpy(to, w->bytes.data() + w->position, static_cast<size_t>(n));
        w->position += n;
        return n;
    };
    io.write = [](const void* from, sf_count_t n, void* u) {
        auto* w = static_cast<MemoryWriter*>(u);
        if (w->position + n > static_cast<sf_count_t>(w->bytes.size()))
            w->bytes.resize(static_cast<size_t>(w->position + n));
        std::memcpy(w->bytes.data() + w->position, from, static_cast<size_t>(n));
        w->position += n;
        return n;
    };
    io.tell = [](void* u) { return static_cast<MemoryWriter*>(u)->position; };
    return io;
}

// `interleaved` frames of `channels` samples, written in `format`.
std::vector<std::byte> SoundFileBytes(int format, int channels, int rate,
                                      const std::vector<float>& interleaved) {
    MemoryWriter writer;
    SF_VIRTUAL_IO io = WriterIo();
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* f = sf_open_virtual(&io, SFM_WRITE, &info, &writer);
    EXPECT_NE(f, nullptr) << sf_strerror(nullptr);
    if (f == nullptr) return {};
    // Floats beyond +-1 and NaN go into float files as they are.
    sf_command(f, SFC_SET_CLIPPING, nullptr, SF_FALSE);
    sf_writef_float(f, interleaved.data(), static_cast<sf_count_t>(interleaved.size()) / channels);
    sf_close(f);
    return writer.bytes;
}

// A damped 700 Hz resonance with a soft onset,
// h(t) = sin(2 pi 700 t) (1 - exp(-t / 0.3 ms)) exp(-t / 8 ms) for 60 ms,
// sampled at `rate`. It starts like t^2, so its spectrum falls fast enough
// above 20 kHz that resampling it gives the same curve at the other rate.
std::vector<float> Resonance(int rate, double seconds = 0.06, double peak = 0.9) {
    std::vector<float> h(static_cast<size_t>(std::lround(seconds * rate)));
    for (size_t n = 0; n < h.size(); ++n) {
        const double t = static_cast<double>(n) / rate;
        h[n] = static_cast<float>(peak * std::sin(2 * std::numbers::pi * 700 * t) *
                                  (1 - std::exp(-t / 0.0003)) * std::exp(-t / 0.008));
    }
    return h;
}

std::vector<float> UnitEnergy(std::vector<float> h) {
    double e = 0;
    for (float v : h) e += double{v} * v;
    for (float& v : h) v = static_cast<float>(v / std::sqrt(e));
    return h;
}

std::vector<float> Interleave(const std::vector<float>& left, const std::vector<float>& right) {
    std::vector<float> out;
    for (size_t i = 0; i < left.size(); ++i) {
        out.push_back(left[i]);
        out.push_back(right[i]);
    }
    return out;
}

double Energy(const std::vector<float>& h) {
    double e = 0;
    for (float v : h) e += double{v} * v;
    return e;
}

// Every format a cabinet file comes in gives the same response at 48 kHz,
// to within the format's own quantisation (or the resampler's accuracy):
// the largest difference from the resonance sampled at 48 kHz, at unit
// energy, whose peak is 0.091.
TEST(ImpulseResponseReaderTest, EveryFormatGivesTheSameResponse) {
    struct Row {
        const char* name;
        int format;
        int channels;
        int rate;
        double tolerance;
    };
    const Row rows[] = {
        {"16-bit WAV", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 48000, 5e-6},
        {"24-bit WAV", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 1, 48000, 1e-7},
        {"32-bit WAV", SF_FORMAT_WAV | SF_FORMAT_PCM_32, 1, 48000, 1e-7},
        {"float WAV", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, 48000, 1e-7},
        {"extensible WAV", SF_FORMAT_WAVEX | SF_FORMAT_PCM_24, 1, 48000, 1e-7},
        {"stereo WAV", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 2, 48000, 1e-7},
        {"AIFF", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 1, 48000, 5e-6},
        {"FLAC", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 1, 48000, 1e-7},
        {"44.1 kHz WAV", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, 44100, 2e-5},
        {"96 kHz WAV", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, 96000, 2e-5},
    };
    const std::vector<float> want = UnitEnergy(Resonance(kSession));
    for (const Row& row : rows) {
        const std::vector<float> h = Resonance(row.rate);
        // Stereo: one side at half the level; their mean is 3/4 of h.
        std::vector<float> half = h;
        for (float& v : half) v *= 0.5f;
        const auto bytes = SoundFileBytes(row.format, row.channels, row.rate,
                                          row.channels == 2 ? Interleave(h, half) : h);
        const ImpulseResponse ir = ReadImpulseResponse(bytes, kSession);
        ASSERT_TRUE(ir.ok()) << row.name << ": " << ir.error;
        EXPECT_EQ(ir.note, "") << row.name;
        ASSERT_NEAR(static_cast<double>(ir.samples.size()), static_cast<double>(want.size()), 1)
            << row.name;
        double worst = 0;
        for (size_t n = 0; n < std::min(want.size(), ir.samples.size()); ++n)
            worst = std::max(worst, std::fabs(double{ir.samples[n]} - want[n]));
        EXPECT_LT(worst, row.tolerance) << row.name;
    }
}

// A file longer than the limit keeps its first second, faded to zero at the
// end, and says so; the fade is over the last 10 ms only.
TEST(ImpulseResponseReaderTest, LongFileIsCutFadedAndNoted) {
    std::vector<float> h(static_cast<size_t>(3 * kSession), 0.25f);
    const ImpulseResponse ir = ReadImpulseResponse(
        SoundFileBytes(SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, kSession, h), kSession);
    ASSERT_TRUE(ir.ok()) << ir.error;
    ASSERT_EQ(ir.samples.size(), static_cast<size_t>(kSession));
    EXPECT_EQ(ir.note,
              "The impulse response is longer than 1.00 s: only its first 1.00 s is used, faded "
              "out at the end.");
    const float level = ir.samples[0];
    EXPECT_FLOAT_EQ(ir.samples[kSession - 481], level);
    EXPECT_LT(ir.samples[kSession - 240], 0.51f * level);
    EXPECT_GT(ir.samples[kSession - 240], 0.49f * level);
    EXPECT_LT(ir.samples[kSession - 1], 1e-4f * level);
}

// The same cabinet at two rates and two lengths (a long silent-ish tail
// after it) gives the same energy once at the session's rate, and the same
// level through a broadband signal: the gain a player hears does not
// change with the file.
TEST(ImpulseResponseReaderTest, LoudnessDoesNotDependOnRateOrLength) {
    std::vector<std::vector<float>> results;
    for (int rate : {44100, 96000}) {
        for (double seconds : {0.06, 0.5}) {
            const std::vector<float> h = Resonance(rate, seconds, rate == 44100 ? 0.3 : 0.9);
            const ImpulseResponse ir = ReadImpulseResponse(
                SoundFileBytes(SF_FORMAT_WAV | SF_FORMAT_PCM_24, 1, rate, h), kSession);
            ASSERT_TRUE(ir.ok()) << ir.error;
            EXPECT_NEAR(Energy(ir.samples), 1.0, 1e-5) << rate << " " << seconds;
            results.push_back(ir.samples);
        }
    }
    // A 48 kHz noise through each: the output levels agree within 0.05 dB.
    std::vector<float> noise(9600);
    uint32_t seed = 1;
    for (float& v : noise) {
        seed = seed * 1664525u + 1013904223u;
        v = static_cast<float>(static_cast<int32_t>(seed >> 8) - (1 << 23)) / (1 << 23);
    }
    std::vector<double> levels;
    for (const auto& h : results) {
        double power = 0;
        for (size_t n = 2880; n < noise.size(); ++n) {
            double y = 0;
            for (size_t t = 0; t < std::min<size_t>(h.size(), 2880); ++t) y += h[t] * noise[n - t];
            power += y * y;
        }
        levels.push_back(10 * std::log10(power));
    }
    for (double level : levels) EXPECT_NEAR(level, levels[0], 0.05);
}

// Damaged, hostile and unusable files: each refused with its reason, none
// allocating what its header claims.
TEST(ImpulseResponseReaderTest, RefusesWhatIsNotAUsableResponse) {
    const std::vector<float> h = Resonance(kSession);
    const auto wav16 = SoundFileBytes(SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, kSession, h);
    const auto flac = SoundFileBytes(SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 1, kSession, h);
    const auto aiff = SoundFileBytes(SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 1, kSession, h);
    const auto withWord = [](std::vector<std::byte> b, size_t at, uint32_t v, bool big) {
        for (size_t i = 0; i < 4; ++i)
            b[at + i] = static_cast<std::byte>(v >> (big ? 24 - 8 * i : 8 * i));
        return b;
    };
    const auto cut = [](std::vector<std::byte> b, size_t length) {
        b.resize(length);
        return b;
    };
    const auto text = [](const char* s) {
        std::vector<std::byte> b(std::strlen(s));
        std::memcpy(b.data(), s, b.size());
        return b;
    };
    const auto floatWav = [](std::vector<float> v, int channels = 1) {
        return SoundFileBytes(SF_FORMAT_WAV | SF_FORMAT_FLOAT, channels, kSession, v);
    };
    std::vector<float> nan = h, inf = h, opposite;
    nan[100] = std::numeric_limits<float>::quiet_NaN();
    inf[5] = -std::numeric_limits<float>::infinity();
    for (float v : h) {
        opposite.push_back(v);
        opposite.push_back(-v);
    }
    const std::string notSound =
        "The file is not a WAV, AIFF or FLAC sound file, or it is damaged.";
    const std::string cutShort = "The file is cut short: it holds fewer samples than it announces.";
    const std::string silent = "The file is silent: every sample is zero.";
    struct Row {
        const char* name;
        std::vector<std::byte> bytes;
        std::string error;
    };
    // A 16-bit mono WAV from libsndfile: RIFF size at 4, data size at 40.
    // An AIFF: SSND size at 42 (after FORM, AIFF and a COMM chunk of 18).
    const Row rows[] = {
        {"no bytes", {}, notSound},
        {"text", text("this is not a sound file at all, just some words."), notSound},
        {"header cut", cut(wav16, 30), notSound},
        {"data cut", cut(wav16, wav16.size() - 100), cutShort},
        {"WAV claiming 4 GB",
         withWord(withWord(wav16, 40, 0xFFFFFFF0u, false), 4, 0xFFFFFFF8u, false), cutShort},
        {"AIFF claiming 4 GB", withWord(aiff, 42, 0xFFFFFFF0u, true), cutShort},
        {"FLAC cut", cut(flac, flac.size() / 2), cutShort},
        {"FLAC claiming 268 million frames", withWord(flac, 22, 0x0FFFFFFFu, true), cutShort},
        {"AU", SoundFileBytes(SF_FORMAT_AU | SF_FORMAT_PCM_16, 1, kSession, h),
         "The file is a sound file, but not WAV, AIFF or FLAC."},
        {"three channels",
         SoundFileBytes(SF_FORMAT_WAV | SF_FORMAT_PCM_16, 3, kSession,
                        std::vector<float>(300, 0.5f)),
         "The file has 3 channels; an impulse response has one or two."},
        {"rate of 1 Hz", withWord(wav16, 24, 1, false), "The file claims a sample rate of 1 Hz."},
        {"no samples", floatWav({}), "The file holds no samples."},
        {"NaN", floatWav(nan), "The file holds samples that are not numbers."},
        {"infinity", floatWav(inf), "The file holds samples that are not numbers."},
        {"all zero", floatWav(std::vector<float>(500, 0.0f)), silent},
        {"stereo sides cancelling", floatWav(opposite, 2), silent},
    };
    for (const Row& row : rows) {
        const ImpulseResponse ir = ReadImpulseResponse(row.bytes, kSession);
        EXPECT_EQ(ir.error, row.error) << row.name;
        EXPECT_TRUE(ir.samples.empty()) << row.name;
    }
}

// Every byte of the headers of each format set to each of a few telling
// values: whatever libsndfile makes of it, the result is a clear refusal or
// a response at unit energy, never a crash or an overrun (run under ASan).
TEST(ImpulseResponseReaderTest, DamagedHeadersGiveAClearResult) {
    const std::vector<float> h = Resonance(kSession, 0.01);
    for (int format : {SF_FORMAT_WAV | SF_FORMAT_PCM_16, SF_FORMAT_WAVEX | SF_FORMAT_FLOAT,
                       SF_FORMAT_AIFF | SF_FORMAT_PCM_24, SF_FORMAT_FLAC | SF_FORMAT_PCM_16}) {
        const auto good = SoundFileBytes(format, 1, kSession, h);
        for (size_t at = 0; at < 96; ++at) {
            for (unsigned value : {0x00u, 0x01u, 0x7Fu, 0x80u, 0xFFu}) {
                auto bytes = good;
                bytes[at] = static_cast<std::byte>(value);
                const ImpulseResponse ir = ReadImpulseResponse(bytes, kSession);
                if (ir.ok())
                    EXPECT_NEAR(Energy(ir.samples), 1.0, 1e-4) << format << " " << at;
                else
                    EXPECT_TRUE(ir.samples.empty()) << format << " " << at;
            }
        }
    }
}

}  // namespace
}  // namespace ampliro::dsp
