// A recorder engine in a folder of its own, and helpers to drive its blocks.
// The helpers settle the disk side around each block (FlushDisk), so that a
// test sees the file and the read-ahead as the disk thread leaves them.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/recorder/recorder_engine.h"
#include "tests/test_files.h"

namespace ampliro {

class RecorderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = testing::FreshTestFolder("recorder");
        recorder.SetFolder(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    // Records values first, first + 1, ... in blocks of blockSize.
    void Record(int16_t first, int32_t samples, int32_t blockSize = 100) {
        for (int32_t done = 0; done < samples; done += blockSize) {
            std::vector<int16_t> block(static_cast<size_t>(std::min(blockSize, samples - done)));
            for (size_t i = 0; i < block.size(); ++i) {
                block[i] = static_cast<int16_t>(first + done + static_cast<int32_t>(i));
            }
            recorder.EngineStep(block.data(), static_cast<int32_t>(block.size()));
            recorder.FlushDisk();
        }
    }
    std::vector<int16_t> Play(int32_t count, int16_t under = 0) {
        std::vector<int16_t> block(static_cast<size_t>(count), under);
        recorder.FlushDisk();
        recorder.EngineStep(block.data(), count);
        recorder.FlushDisk();
        return block;
    }
    std::vector<uint8_t> FileBytes() {
        std::ifstream in(recorder.FilePath(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    void WriteFile(const std::vector<uint8_t>& bytes) {
        std::ofstream out(recorder.FilePath(), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }

    std::filesystem::path folder;
    RecorderEngine recorder;
};

}  // namespace ampliro
