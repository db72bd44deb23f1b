// Whether the files a soak leaves behind are whole: the last preset saved
// and the last loop recording, read by their formats' rules (app/settings/preset_file.h
// and app/recorder/recorder_engine.h). Each answer is empty for a whole file, else
// what is wrong with it, in a few words.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace ampliro {

// The 268 bytes of the nine pedals and their chain, and the chunk of the
// other three when there is one, to its last byte.
std::string PresetProblem(const std::vector<uint8_t>& bytes);

// RECORD.DAT: a header with a sample rate, then whole 16-bit samples.
// samples receives how many it holds.
std::string RecordingProblem(const std::filesystem::path& file, int64_t* samples);

std::vector<uint8_t> ReadWholeFile(const std::filesystem::path& file);

}  // namespace ampliro
