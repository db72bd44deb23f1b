#include "app/export/wav_export.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <system_error>

#include "app/recorder/recorder_shared.h"
#include "platform/files/atomic_file.h"

namespace ampliro {
namespace {

// Samples copied in one piece: 64 KiB, a few milliseconds of disk work
// between two looks at the cancel flag.
constexpr size_t kPieceSamples = 32768;

void PutLe32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

void PutLe16(uint8_t* at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

std::array<uint8_t, kWavHeaderBytes> WavHeader(int32_t rate, uint32_t dataBytes) {
    std::array<uint8_t, kWavHeaderBytes> h{};
    const auto text = [&h](size_t at, const char* four) {
        std::copy(four, four + 4, h.begin() + static_cast<ptrdiff_t>(at));
    };
    text(0, "RIFF");
    PutLe32(&h[4], 36 + dataBytes);  // the rest of the file after this field
    text(8, "WAVE");
    text(12, "fmt ");
    PutLe32(&h[16], 16);  // the PCM format block's size
    PutLe16(&h[20], 1);   // PCM
    PutLe16(&h[22], 1);   // mono
    PutLe32(&h[24], static_cast<uint32_t>(rate));
    PutLe32(&h[28], static_cast<uint32_t>(rate) * 2);  // bytes per second
    PutLe16(&h[32], 2);                                // bytes per frame
    PutLe16(&h[34], 16);                               // bits per sample
    text(36, "data");
    PutLe32(&h[40], dataBytes);
    return h;
}

RecordingInfo InspectRecording(const std::filesystem::path& recording) {
    RecordingInfo info;
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(recording, error);
    if (error) return info;
    // The recorder itself never goes past the largest 32-bit offset.
    const uintmax_t usable = std::min<uintmax_t>(size, INT32_MAX);
    info.problem = RecordingInfo::kEmpty;
    if (usable < kRecordingHeaderBytes + 2) return info;
    File file(std::fopen(recording.c_str(), "rb"));
    uint8_t header[kRecordingHeaderBytes];
    if (!file || std::fread(header, 1, sizeof header, file.get()) != sizeof header) {
        info.problem = RecordingInfo::kMissing;
        return info;
    }
    info.rate = static_cast<int32_t>(static_cast<uint32_t>(header[0]) | header[1] << 8 |
                                     header[2] << 16 | static_cast<uint32_t>(header[3]) << 24);
    info.samples = static_cast<int64_t>((usable - kRecordingHeaderBytes) / 2);
    const bool rateValid = info.rate >= kLowestRecordingRate && info.rate <= kHighestRecordingRate;
    info.problem = rateValid ? RecordingInfo::kNone : RecordingInfo::kBadRate;
    return info;
}

ExportResult ExportRecordingAsWav(const std::filesystem::path& recording,
                                  const std::filesystem::path& target, ExportProgress& progress) {
    ExportResult result;
    result.info = InspectRecording(recording);
    progress.done.store(0, std::memory_order_relaxed);
    progress.total.store(result.info.samples, std::memory_order_relaxed);
    switch (result.info.problem) {
        case RecordingInfo::kNone:
            break;
        case RecordingInfo::kBadRate:
            result.outcome = ExportResult::kDamaged;
            return result;
        default:
            result.outcome = ExportResult::kNoRecording;
            return result;
    }
    File source(std::fopen(recording.c_str(), "rb"));
    if (!source || std::fseek(source.get(), kRecordingHeaderBytes, SEEK_SET) != 0) {
        result.outcome = ExportResult::kReadFailed;
        result.error = errno;
        return result;
    }
    AtomicFile wav(target.string());
    std::FILE* out = wav.Open();
    if (!out) {
        result.outcome = ExportResult::kWriteFailed;
        result.error = wav.Error();
        return result;
    }
    const int64_t total = result.info.samples;
    const auto header = WavHeader(result.info.rate, static_cast<uint32_t>(total * 2));
    std::fwrite(header.data(), 1, header.size(), out);

    std::unique_ptr<int16_t[]> piece(new int16_t[kPieceSamples]);
    int64_t done = 0;
    while (done < total) {
        if (progress.cancel.load(std::memory_order_relaxed)) {
            result.outcome = ExportResult::kCancelled;
            return result;  // the temporary goes with wav
        }
        const size_t want = static_cast<size_t>(std::min<int64_t>(total - done, kPieceSamples));
        const size_t got = std::fread(piece.get(), sizeof(int16_t), want, source.get());
        if (got < want) {
            const bool readError = std::ferror(source.get()) != 0;
            result.outcome = readError ? ExportResult::kReadFailed : ExportResult::kSourceChanged;
            result.error = readError ? (errno ? errno : EIO) : 0;
            return result;
        }
        // A failed write is remembered by the file and reported by Commit.
        if (std::fwrite(piece.get(), sizeof(int16_t), got, out) < got && wav.Error() != 0) break;
        done += static_cast<int64_t>(got);
        progress.done.store(done, std::memory_order_relaxed);
        if (progress.afterPiece) progress.afterPiece(done);
    }
    if (!wav.Commit()) {
        result.outcome = ExportResult::kWriteFailed;
        result.error = wav.Error();
        return result;
    }
    result.outcome = ExportResult::kDone;
    return result;
}

}  // namespace ampliro
