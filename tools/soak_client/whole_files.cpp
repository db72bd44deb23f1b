#include "whole_files.h"

#include <fstream>
#include <iterator>

#include "app/export/wav_export.h"
#include "app/settings/preset_file.h"

namespace ampliro {
namespace {

constexpr size_t kChainOffset = 232;
constexpr int32_t kClassicPedals = 9;
constexpr int32_t kAllPedals = 12;
// The chunk's records: the gate's 6 words, the amp's 3 and the cabinet's 3.
constexpr size_t kChunkRecordBytes = (6 + 3 + 3) * 4;
// "AMPX", the version and the byte count.
constexpr size_t kChunkHeadBytes = 12;

int32_t WordAt(const std::vector<uint8_t>& bytes, size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v |= static_cast<uint32_t>(bytes[at + i]) << (8 * i);
    return static_cast<int32_t>(v);
}

// Whether the count words at offset name each key 0..count-1 once.
bool KeysComplete(const std::vector<uint8_t>& bytes, size_t at, int32_t count) {
    std::vector<bool> seen(static_cast<size_t>(count), false);
    for (int32_t i = 0; i < count; ++i) {
        const int32_t key = WordAt(bytes, at + 4 * static_cast<size_t>(i));
        if (key < 0 || key >= count || seen[static_cast<size_t>(key)]) return false;
        seen[static_cast<size_t>(key)] = true;
    }
    return true;
}

}  // namespace

std::vector<uint8_t> ReadWholeFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::string PresetProblem(const std::vector<uint8_t>& bytes) {
    const size_t size = bytes.size();
    if (size < static_cast<size_t>(kPresetFileSize)) return "shorter than the nine pedals";
    if (!KeysComplete(bytes, kChainOffset, kClassicPedals)) return "the chain is not nine keys";
    if (size == static_cast<size_t>(kPresetFileSize)) return {};
    const size_t chunk = kPresetFileSize;
    if (size < chunk + kChunkHeadBytes ||
        std::string(bytes.begin() + chunk, bytes.begin() + chunk + 4) != "AMPX")
        return "bytes after the nine pedals that are no chunk";
    if (WordAt(bytes, chunk + 4) != kPresetChunkVersion) return "a chunk of an unknown version";
    const size_t body = chunk + kChunkHeadBytes;
    if (static_cast<int64_t>(WordAt(bytes, chunk + 8)) != static_cast<int64_t>(size - body))
        return "the chunk's byte count is not the rest of the file";
    const size_t keys = body + kChunkRecordBytes;
    if (size < keys + 4 * kAllPedals + 8 || !KeysComplete(bytes, keys, kAllPedals))
        return "the chunk's chain is not twelve keys";
    // The model's and the IR's paths: a byte count and the bytes, each.
    size_t at = keys + 4 * kAllPedals;
    for (int text = 0; text < 2; ++text) {
        if (size - at < 4) return "the chunk ends inside a path";
        const int32_t length = WordAt(bytes, at);
        at += 4;
        if (length < 0 || static_cast<size_t>(length) > size - at)
            return "the chunk ends inside a path";
        at += static_cast<size_t>(length);
    }
    if (at != size) return "bytes after the chunk's paths";
    return {};
}

std::string RecordingProblem(const std::filesystem::path& file, int64_t* samples) {
    *samples = 0;
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(file, error);
    if (error) return "missing";
    if (size < 4) return "shorter than its header";
    if (size % 2 != 0) return "half a sample at its end";
    std::ifstream in(file, std::ios::binary);
    uint8_t header[4] = {};
    if (!in.read(reinterpret_cast<char*>(header), 4)) return "unreadable";
    const int32_t rate = WordAt(std::vector<uint8_t>(header, header + 4), 0);
    if (rate < kLowestRecordingRate || rate > kHighestRecordingRate)
        return "its header's rate " + std::to_string(rate) + " is no sample rate";
    const RecordingInfo info = InspectRecording(file);
    if (size > 4 && info.problem != RecordingInfo::kNone) return "unreadable";
    *samples = info.samples;
    return {};
}

}  // namespace ampliro
