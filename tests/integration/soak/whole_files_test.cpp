// Whole and broken presets and recordings, as the soak's checks read them.
#include "whole_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

namespace ampliro {
namespace {

void PutWord(std::vector<uint8_t>& bytes, size_t at, int32_t value) {
    if (bytes.size() < at + 4) bytes.resize(at + 4);
    for (size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// 268 bytes: zero records and the chain 0..8.
std::vector<uint8_t> NinePedals() {
    std::vector<uint8_t> bytes(268, 0);
    for (int32_t key = 0; key < 9; ++key) PutWord(bytes, 232 + 4 * key, key);
    return bytes;
}

// The nine pedals and a chunk naming the model "m.nam" and no IR.
std::vector<uint8_t> WithChunk() {
    std::vector<uint8_t> bytes = NinePedals();
    const std::string tag = "AMPX";
    bytes.insert(bytes.end(), tag.begin(), tag.end());
    PutWord(bytes, 272, 1);
    const size_t body = 280;
    const size_t keys = body + 48;
    for (int32_t key = 0; key < 12; ++key) PutWord(bytes, keys + 4 * key, 11 - key);
    PutWord(bytes, keys + 48, 5);
    const std::string model = "m.nam";
    bytes.insert(bytes.end(), model.begin(), model.end());
    PutWord(bytes, bytes.size(), 0);
    PutWord(bytes, 276, static_cast<int32_t>(bytes.size() - body));
    return bytes;
}

TEST(WholeFilesTest, PresetsWholeAndBroken) {
    struct Row {
        const char* name;
        std::vector<uint8_t> bytes;
        bool whole;
    };
    std::vector<Row> rows = {{"nine pedals", NinePedals(), true},
                             {"with a chunk", WithChunk(), true}};
    auto broken = [&](const char* name, auto change, const std::vector<uint8_t>& from) {
        std::vector<uint8_t> bytes = from;
        change(bytes);
        rows.push_back({name, bytes, false});
    };
    broken(
        "cut short", [](auto& b) { b.resize(267); }, NinePedals());
    broken(
        "a key twice", [](auto& b) { PutWord(b, 232, 1); }, NinePedals());
    broken(
        "a stray byte", [](auto& b) { b.push_back(0); }, NinePedals());
    broken(
        "chunk cut", [](auto& b) { b.pop_back(); }, WithChunk());
    broken(
        "chunk grown", [](auto& b) { b.push_back(0); }, WithChunk());
    broken(
        "chunk version", [](auto& b) { PutWord(b, 272, 2); }, WithChunk());
    broken(
        "chunk keys", [](auto& b) { PutWord(b, 328, 0); }, WithChunk());
    for (const Row& row : rows)
        EXPECT_EQ(PresetProblem(row.bytes).empty(), row.whole)
            << row.name << ": " << PresetProblem(row.bytes);
}

TEST(WholeFilesTest, RecordingsWholeAndBroken) {
    struct Row {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* problem;
        int64_t samples;
    };
    const std::vector<Row> rows = {
        {"two samples", {0x80, 0xBB, 0, 0, 1, 0, 2, 0}, "", 2},
        {"header alone", {0x80, 0xBB, 0, 0}, "", 0},
        {"half a sample", {0x80, 0xBB, 0, 0, 1, 0, 2}, "half a sample at its end", 0},
        {"no rate", {0, 0, 0, 0, 1, 0}, "its header's rate 0 is no sample rate", 0},
        {"cut header", {0x80, 0xBB}, "shorter than its header", 0},
    };
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("soak_record_" + std::to_string(::getpid()));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(row.bytes.data()),
                   static_cast<std::streamsize>(row.bytes.size()));
        int64_t samples = -1;
        EXPECT_EQ(RecordingProblem(file, &samples), row.problem);
        EXPECT_EQ(samples, row.samples);
    }
    std::filesystem::remove(file);
    int64_t samples = -1;
    EXPECT_EQ(RecordingProblem(file, &samples), "missing");
}

}  // namespace
}  // namespace ampliro
