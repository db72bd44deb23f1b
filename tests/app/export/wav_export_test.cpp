#include "app/export/wav_export.h"

#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "app/export/export_job.h"
#include "tests/test_files.h"
#include "tests/write_limit.h"

namespace ampliro {
namespace {

using Bytes = std::vector<uint8_t>;

class WavExportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = testing::FreshTestFolder("wav");
        recording = folder / "RECORD.DAT";
        target = folder / "take.wav";
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    static Bytes Le32(uint32_t v) {
        return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
    }
    void WriteRecording(int32_t rate, const std::vector<int16_t>& samples, Bytes tail = {}) {
        Bytes bytes = Le32(static_cast<uint32_t>(rate));
        for (int16_t s : samples) {
            bytes.push_back(static_cast<uint8_t>(s));
            bytes.push_back(static_cast<uint8_t>(static_cast<uint16_t>(s) >> 8));
        }
        bytes.insert(bytes.end(), tail.begin(), tail.end());
        WriteBytes(recording, bytes);
    }
    static void WriteBytes(const std::filesystem::path& path, const Bytes& bytes) {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
    static Bytes ReadBytes(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // Every name in the folder but RECORD.DAT.
    std::vector<std::string> Others() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            if (entry.path().filename() != "RECORD.DAT")
                names.push_back(entry.path().filename().string());
        return names;
    }
    static std::vector<int16_t> Ramp(size_t n) {
        std::vector<int16_t> v(n);
        for (size_t i = 0; i < n; ++i) v[i] = static_cast<int16_t>(i * 7919 % 65536 - 32768);
        return v;
    }
    ExportResult Export() { return ExportRecordingAsWav(recording, target, progress); }

    std::filesystem::path folder, recording, target;
    ExportProgress progress;
};

TEST_F(WavExportTest, FileIsTheCanonicalHeaderThenTheRecordingsBytes) {
    WriteRecording(44100, {0, 1, -1, 32767, -32768, 0x1234});
    const ExportResult result = Export();
    ASSERT_EQ(result.outcome, ExportResult::kDone);
    const Bytes expected = {
        'R',  'I',  'F',  'F', 48,  0,   0,   0,  // 36 + 12 bytes of samples
        'W',  'A',  'V',  'E', 'f', 'm', 't', ' ', 16, 0, 0, 0, 1,    0,    1,    0,  // PCM, mono
        0x44, 0xAC, 0,    0,                                                          // 44100
        0x88, 0x58, 0x01, 0,  // 88200 bytes a second
        2,    0,    16,   0,  // 2 bytes a frame, 16 bits
        'd',  'a',  't',  'a', 12,  0,   0,   0,   0,  0, 1, 0, 0xFF, 0xFF, 0xFF, 0x7F,
        0x00, 0x80, 0x34, 0x12};
    EXPECT_EQ(ReadBytes(target), expected);
    EXPECT_EQ(Others(), std::vector<std::string>{"take.wav"});  // no temporary left
}

TEST_F(WavExportTest, LibsndfileReadsBackTheSamples) {
    const std::vector<int16_t> samples = Ramp(100000);
    WriteRecording(22050, samples);
    ASSERT_EQ(Export().outcome, ExportResult::kDone);
    const Bytes original = ReadBytes(recording);
    const Bytes wav = ReadBytes(target);
    ASSERT_EQ(wav.size(), original.size() - 4 + 44);
    EXPECT_TRUE(std::equal(original.begin() + 4, original.end(), wav.begin() + 44));

    SF_INFO info{};
    SNDFILE* file = sf_open(target.c_str(), SFM_READ, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    EXPECT_EQ(info.frames, 100000);
    EXPECT_EQ(info.samplerate, 22050);
    EXPECT_EQ(info.channels, 1);
    EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    std::vector<int16_t> back(100000);
    EXPECT_EQ(sf_read_short(file, back.data(), 100000), 100000);
    sf_close(file);
    EXPECT_EQ(back, samples);
}

TEST_F(WavExportTest, AnOddLastByteIsHalfASampleAndLeftOut) {
    WriteRecording(48000, {5, -5}, {0x77});
    ASSERT_EQ(Export().outcome, ExportResult::kDone);
    const Bytes wav = ReadBytes(target);
    ASSERT_EQ(wav.size(), 48u);
    EXPECT_EQ(Bytes(wav.begin() + 40, wav.begin() + 44), Le32(4));
    EXPECT_EQ(Bytes(wav.begin() + 44, wav.end()), (Bytes{5, 0, 0xFB, 0xFF}));
}

TEST_F(WavExportTest, MissingShortOrBadRecordingsWriteNothing) {
    EXPECT_EQ(Export().outcome, ExportResult::kNoRecording);
    WriteBytes(recording, {0x44, 0xAC});  // shorter than its header
    EXPECT_EQ(Export().outcome, ExportResult::kNoRecording);
    WriteBytes(recording, {0x44, 0xAC, 0, 0, 9});  // a header and half a sample
    EXPECT_EQ(Export().outcome, ExportResult::kNoRecording);
    for (int32_t rate : {0, -44100, 3999, 768001, 0x7FFFFFFF}) {
        WriteRecording(rate, {1, 2, 3});
        const ExportResult result = Export();
        EXPECT_EQ(result.outcome, ExportResult::kDamaged) << rate;
        EXPECT_EQ(result.info.rate, rate);
    }
    EXPECT_TRUE(Others().empty());
}

TEST_F(WavExportTest, ProgressCountsEveryPieceOfALongTake) {
    // Three minutes at 48000 Hz.
    const int64_t samples = 3 * 60 * 48000;
    WriteRecording(48000, std::vector<int16_t>(static_cast<size_t>(samples), 3));
    std::vector<int64_t> seen;
    progress.afterPiece = [&](int64_t done) {
        seen.push_back(done);
        EXPECT_EQ(progress.total.load(), samples);
    };
    ASSERT_EQ(Export().outcome, ExportResult::kDone);
    ASSERT_EQ(seen.size(), static_cast<size_t>((samples + 32767) / 32768));
    EXPECT_EQ(seen.front(), 32768);
    for (size_t i = 1; i < seen.size(); ++i) EXPECT_GT(seen[i], seen[i - 1]);
    EXPECT_EQ(seen.back(), samples);
    EXPECT_EQ(progress.done.load(), samples);
    EXPECT_EQ(std::filesystem::file_size(target), static_cast<uintmax_t>(44 + 2 * samples));
}

TEST_F(WavExportTest, JobReportsPermilleAndCancelLeavesNothing) {
    WriteRecording(44100, std::vector<int16_t>(400000, 1));
    progress.afterPiece = [&](int64_t done) {
        if (done >= 200000) progress.cancel = true;
    };
    EXPECT_EQ(Export().outcome, ExportResult::kCancelled);
    EXPECT_TRUE(Others().empty());

    ExportJob job(recording, target);
    const ExportResult& result = job.Result();
    EXPECT_TRUE(job.Finished());
    EXPECT_EQ(job.Permille(), 1000);
    EXPECT_EQ(result.outcome, ExportResult::kDone);
    EXPECT_EQ(result.info.samples, 400000);
}

TEST_F(WavExportTest, ARecordingThatShrinksMidwayIsNoExport) {
    WriteRecording(44100, std::vector<int16_t>(100000, 1));
    progress.afterPiece = [&](int64_t) { std::filesystem::resize_file(recording, 4); };
    const ExportResult result = Export();
    EXPECT_EQ(result.outcome, ExportResult::kSourceChanged);
    EXPECT_TRUE(Others().empty());
}

TEST_F(WavExportTest, AFullDiskFailsWithItsReasonAndKeepsTheOldFile) {
    WriteRecording(44100, std::vector<int16_t>(50000, 9));
    WriteBytes(target, {'o', 'l', 'd'});
    // Files cannot grow past 20000 bytes: the write fails as on a full disk.
    const int code = testing::RunWithFileSizeLimit(20000, [&] {
        const ExportResult result = Export();
        if (result.outcome != ExportResult::kWriteFailed) return 1;
        return result.error == EFBIG ? 0 : 2;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(ReadBytes(target), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(Others(), std::vector<std::string>{"take.wav"});
}

TEST_F(WavExportTest, HeaderFieldsForTheHighestRate) {
    const auto h = WavHeader(96000, 0xFFFFFFD0u);
    EXPECT_EQ(Bytes(h.begin() + 4, h.begin() + 8), Le32(0xFFFFFFF4u));
    EXPECT_EQ(Bytes(h.begin() + 24, h.begin() + 28), Le32(96000));
    EXPECT_EQ(Bytes(h.begin() + 28, h.begin() + 32), Le32(192000));
}

}  // namespace
}  // namespace ampliro
