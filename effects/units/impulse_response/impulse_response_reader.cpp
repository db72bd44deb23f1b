#include "effects/units/impulse_response/impulse_response_reader.h"

#include <samplerate.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <numbers>
#include <stdexcept>

namespace ampliro::dsp {
namespace {

constexpr const char* kCutShort =
    "The file is cut short: it holds fewer samples than it announces.";

// The bytes of the file, read by libsndfile through its virtual I/O.
struct MemoryFile {
    std::span<const std::byte> bytes;
    sf_count_t position = 0;
};

sf_count_t Length(void* user) {
    return static_cast<sf_count_t>(static_cast<MemoryFile*>(user)->bytes.size());
}

sf_count_t Seek(sf_count_t offset, int whence, void* user) {
    auto* file = static_cast<MemoryFile*>(user);
    const auto size = static_cast<sf_count_t>(file->bytes.size());
    sf_count_t base = 0;
    if (whence == SEEK_CUR) base = file->position;
    if (whence == SEEK_END) base = size;
    // A hostile header can send the reader anywhere: keep it in the file.
    if (offset < -base) return -1;
    file->position = std::min(base + offset, size);
    return file->position;
}

sf_count_t Read(void* to, sf_count_t count, void* user) {
    auto* file = static_cast<MemoryFile*>(user);
    const auto size = static_cast<sf_count_t>(file->bytes.size());
    const sf_count_t n = std::clamp<sf_count_t>(count, 0, size - file->position);
    if (n > 0) std::memcpy(to, file->bytes.data() + file->position, static_cast<size_t>(n));
    file->position += n;
    return n;
}

sf_count_t Write(const void*, sf_count_t, void*) {
    return 0;
}

sf_count_t Tell(void* user) {
    return static_cast<MemoryFile*>(user)->position;
}

uint32_t Word(std::span<const std::byte> b, size_t at, bool bigEndian) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) {
        const auto byte = static_cast<uint32_t>(b[at + (bigEndian ? i : 3 - i)]);
        v = v << 8 | byte;
    }
    return v;
}

// libsndfile quietly shortens a WAV or AIFF sound-data chunk that claims
// more bytes than the file holds (a file cut short, or a hostile header
// claiming gigabytes). A cut response would end with a click, so the
// chunks are walked here and such a file refused.
bool ClaimsMoreThanItHolds(std::span<const std::byte> b) {
    if (b.size() < 12) return false;
    const auto tag = [&](size_t at, const char* id) {
        return std::memcmp(b.data() + at, id, 4) == 0;
    };
    const bool wav = tag(0, "RIFF") && tag(8, "WAVE");
    const bool aiff = tag(0, "FORM") && (tag(8, "AIFF") || tag(8, "AIFC"));
    if (!wav && !aiff) return false;
    const char* data = wav ? "data" : "SSND";
    for (size_t at = 12; at + 8 <= b.size();) {
        const uint64_t size = Word(b, at + 4, aiff);
        const uint64_t left = b.size() - (at + 8);
        if (tag(at, data)) return size > left;
        at += 8 + size + (size & 1);
    }
    return false;
}

ImpulseResponse Refused(std::string why) {
    ImpulseResponse r;
    r.error = std::move(why);
    return r;
}

std::string Seconds(double s) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f s", s);
    return text;
}

class SoundFile {
  public:
    explicit SoundFile(MemoryFile& file) {
        SF_VIRTUAL_IO io{Length, Seek, Read, Write, Tell};
        handle_ = sf_open_virtual(&io, SFM_READ, &info_, &file);
    }
    ~SoundFile() {
        if (handle_ != nullptr) sf_close(handle_);
    }
    SoundFile(const SoundFile&) = delete;
    SoundFile& operator=(const SoundFile&) = delete;

    SNDFILE* handle() const { return handle_; }
    const SF_INFO& info() const { return info_; }

  private:
    SF_INFO info_{};
    SNDFILE* handle_ = nullptr;
};

ImpulseResponse Read(std::span<const std::byte> bytes, int32_t sessionRate, double maxSeconds) {
    MemoryFile memory{bytes};
    SoundFile file(memory);
    if (file.handle() == nullptr)
        return Refused("The file is not a WAV, AIFF or FLAC sound file, or it is damaged.");
    const SF_INFO& info = file.info();
    const int major = info.format & SF_FORMAT_TYPEMASK;
    if (major != SF_FORMAT_WAV && major != SF_FORMAT_WAVEX && major != SF_FORMAT_AIFF &&
        major != SF_FORMAT_FLAC)
        return Refused("The file is a sound file, but not WAV, AIFF or FLAC.");
    if (info.channels < 1 || info.channels > 2)
        return Refused("The file has " + std::to_string(info.channels) +
                       " channels; an impulse response has one or two.");
    if (info.samplerate < 1000 || info.samplerate > 768000)
        return Refused("The file claims a sample rate of " + std::to_string(info.samplerate) +
                       " Hz.");
    if (info.frames <= 0) return Refused("The file holds no samples.");
    if (ClaimsMoreThanItHolds(bytes)) return Refused(kCutShort);

    // The claim in the header decides nothing about memory: at most
    // maxSeconds of frames are ever read, whatever length it states.
    const auto cap =
        std::max<sf_count_t>(1, static_cast<sf_count_t>(std::floor(maxSeconds * info.samplerate)));
    const sf_count_t wanted = std::min(info.frames, cap);
    const int channels = info.channels;
    std::vector<float> frames(static_cast<size_t>(wanted * channels));
    const sf_count_t got = sf_readf_float(file.handle(), frames.data(), wanted);
    if (got < wanted || sf_error(file.handle()) != SF_ERR_NO_ERROR) return Refused(kCutShort);
    float spare[2];
    const bool cut = info.frames > cap && sf_readf_float(file.handle(), spare, 1) == 1;

    std::vector<float> mono(static_cast<size_t>(wanted));
    for (sf_count_t i = 0; i < wanted; ++i) {
        float sum = 0.0f;
        for (int c = 0; c < channels; ++c) {
            const float v = frames[static_cast<size_t>(i * channels + c)];
            if (!std::isfinite(v)) return Refused("The file holds samples that are not numbers.");
            sum += v;
        }
        // Stereo to mono: the mean of the two sides.
        mono[static_cast<size_t>(i)] = sum / static_cast<float>(channels);
    }
    if (std::all_of(frames.begin(), frames.end(), [](float v) { return v == 0.0f; }))
        return Refused("The file is silent: every sample is zero.");
    if (cut) {
        // A raised-cosine fade over the last 10 ms of what is kept.
        const auto fade = std::min<sf_count_t>(
            wanted, static_cast<sf_count_t>(std::lround(kFadeSeconds * info.samplerate)));
        for (sf_count_t i = 0; i < fade; ++i) {
            const double x = static_cast<double>(i + 1) / static_cast<double>(fade + 1);
            mono[static_cast<size_t>(wanted - 1 - i)] *=
                static_cast<float>(0.5 - 0.5 * std::cos(std::numbers::pi * x));
        }
    }
    ImpulseResponse r = PrepareImpulseResponse(std::move(mono), info.samplerate, sessionRate);
    if (r.ok() && cut)
        r.note = "The impulse response is longer than " + Seconds(maxSeconds) +
                 ": only its first " + Seconds(maxSeconds) + " is used, faded out at the end.";
    return r;
}

}  // namespace

ImpulseResponse ReadImpulseResponse(std::span<const std::byte> file, int32_t sessionRate,
                                    double maxSeconds) {
    try {
        return Read(file, sessionRate, maxSeconds);
    } catch (const std::exception&) {
        return Refused("There is not enough memory to load the impulse response.");
    }
}

// Loudness. For an input of power s^2 and a broad spectrum, the output of
// the response h has power s^2 E with E = sum h[n]^2 (Parseval: the mean of
// |H|^2 over frequency). The same cabinet captured at twice the rate has
// twice as many samples of about the same size, so twice the energy; a
// longer capture adds its tail's. Scaling to E = 1 at the session's rate
// makes a broadband signal come out at the level it went in, whatever the
// file's rate or length: g = 1 / sqrt(E).
ImpulseResponse PrepareImpulseResponse(std::vector<float> samples, int32_t fromRate,
                                       int32_t toRate) {
    try {
        ImpulseResponse r;
        if (fromRate != toRate && !samples.empty()) {
            const double ratio = static_cast<double>(toRate) / fromRate;
            std::vector<float> out(static_cast<size_t>(std::ceil(samples.size() * ratio)) + 1);
            SRC_DATA data{};
            data.data_in = samples.data();
            data.input_frames = static_cast<long>(samples.size());
            data.data_out = out.data();
            data.output_frames = static_cast<long>(out.size());
            data.src_ratio = ratio;
            if (src_simple(&data, SRC_SINC_BEST_QUALITY, 1) != 0)
                return Refused("The impulse response could not be resampled.");
            out.resize(static_cast<size_t>(data.output_frames_gen));
            samples = std::move(out);
        }
        double energy = 0.0;
        for (float v : samples) energy += double{v} * v;
        if (!(energy > 1e-30) || !std::isfinite(energy))
            return Refused("The file is silent: every sample is zero.");
        const auto gain = static_cast<float>(1.0 / std::sqrt(energy));
        for (float& v : samples) v *= gain;
        r.samples = std::move(samples);
        return r;
    } catch (const std::exception&) {
        return Refused("There is not enough memory to load the impulse response.");
    }
}

}  // namespace ampliro::dsp
