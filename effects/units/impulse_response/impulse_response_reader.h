// Turns the bytes of a cabinet impulse-response file (WAV, AIFF or FLAC) into
// a mono response at the session's rate, of bounded length and of a loudness
// that does not depend on the file's length or rate. Off the audio thread:
// it allocates and resamples. No file access: the caller reads the bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace ampliro::dsp {

struct ImpulseResponse {
    // At the session's rate, scaled to unit energy; empty when refused.
    std::vector<float> samples;
    // Why the file was refused, as a sentence for the user; empty when not.
    std::string error;
    // Something the user should know about a file that was taken (it was
    // cut short); empty otherwise.
    std::string note;

    bool ok() const { return error.empty(); }
};

// The longest response taken by default, in seconds; longer files are cut
// and faded out over their last kFadeSeconds.
inline constexpr double kDefaultImpulseSeconds = 1.0;
inline constexpr double kFadeSeconds = 0.01;

// `sessionRate` in Hz (8000..768000); `maxSeconds` > 0. Never throws.
ImpulseResponse ReadImpulseResponse(std::span<const std::byte> file, int32_t sessionRate,
                                    double maxSeconds = kDefaultImpulseSeconds);

// Resamples `samples` from `fromRate` to `toRate` once, at best quality, and
// scales them to unit energy. Fills `error` (and leaves `samples` empty)
// when the result is silent or the memory cannot be had. Never throws.
ImpulseResponse PrepareImpulseResponse(std::vector<float> samples, int32_t fromRate,
                                       int32_t toRate);

}  // namespace ampliro::dsp
