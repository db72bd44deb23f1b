// Reading amp models and cabinet impulse responses from disk, for presets,
// the Load buttons, dropped files and the renderer. Off the audio thread.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace ampliro {

class AmpPedal;
class CabinetPedal;

// The largest model or IR file read: far above any real capture (a large
// WaveNet is under 1 MB of JSON, a 1 s 32-bit stereo IR at 192 kHz 1.5 MB),
// far below what would exhaust a small machine.
inline constexpr size_t kLargestMediaFile = 64u << 20;

enum class MediaKind { kNone, kModel, kImpulse };

// By extension, any case: .nam and .json are models; .wav, .aif, .aiff and
// .flac impulse responses.
MediaKind MediaKindOf(const std::string& path);

// The whole file, or false with a sentence for the user in `error`.
bool ReadMediaFile(const std::string& path, std::vector<std::byte>& bytes, std::string& error);

// Read, build and install in one go, on the calling thread. The sentence
// for the user; empty when the pedal plays the file. `note` gets what the
// user should know about a file that was taken (an IR cut short).
std::string LoadModelFile(AmpPedal& amp, const std::string& path);
std::string LoadImpulseFile(CabinetPedal& cabinet, const std::string& path,
                            std::string* note = nullptr);

}  // namespace ampliro
