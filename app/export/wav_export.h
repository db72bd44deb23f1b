// The loop recording as a WAV file: RECORD.DAT's samples behind the canonical
// 44-byte header of a 16-bit mono PCM WAV at the rate the take was made at.
//
// The samples are copied byte for byte (both files keep them little-endian),
// into a temporary file beside the target that is renamed over it only once
// everything is on the disk, so a failure never leaves a half-written file
// under the chosen name.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>

namespace ampliro {

inline constexpr size_t kWavHeaderBytes = 44;

// The rates a RECORD.DAT header may carry; anything else is a damaged file.
inline constexpr int32_t kLowestRecordingRate = 4000;
inline constexpr int32_t kHighestRecordingRate = 768000;

// What RECORD.DAT holds, as far as an export needs to know.
struct RecordingInfo {
    enum Problem { kNone, kMissing, kEmpty, kBadRate };
    Problem problem = kMissing;
    int32_t rate = 0;
    // Whole samples; an odd last byte is half a sample and left out.
    int64_t samples = 0;
};
RecordingInfo InspectRecording(const std::filesystem::path& recording);

std::array<uint8_t, kWavHeaderBytes> WavHeader(int32_t rate, uint32_t dataBytes);

// Shared between the thread that writes and the one that shows it.
struct ExportProgress {
    ExportProgress() = default;
    explicit ExportProgress(std::function<void(int64_t done)> observer)
        : afterPiece(std::move(observer)) {}

    std::atomic<int64_t> done{0};   // samples written
    std::atomic<int64_t> total{0};  // samples to write
    std::atomic<bool> cancel{false};
    // Called on the writing thread after each piece, with done, when set.
    std::function<void(int64_t done)> afterPiece;
};

struct ExportResult {
    enum Outcome {
        kDone,
        kCancelled,
        kNoRecording,    // missing, or holds no sample
        kDamaged,        // the header's rate is no sample rate
        kReadFailed,     // error: the errno value
        kSourceChanged,  // RECORD.DAT got shorter while it was copied
        kWriteFailed,    // error: the errno value
    };
    Outcome outcome = kNoRecording;
    int error = 0;
    RecordingInfo info;
};

// Reads recording and writes target; progress counts the samples as they go
// and cancel stops at the next piece, leaving nothing behind.
ExportResult ExportRecordingAsWav(const std::filesystem::path& recording,
                                  const std::filesystem::path& target, ExportProgress& progress);

}  // namespace ampliro
