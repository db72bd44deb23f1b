// Files for tests: a fresh folder for each test, and a file's whole contents
// as bytes for the tests that write, damage and read back the files the
// program keeps.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace ampliro::testing {

// <temp>/ampliro_<tag>_<pid>_<test name>, empty: what a test before left
// there is gone. The test removes it when it ends.
inline std::filesystem::path FreshTestFolder(const std::string& tag) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        ("ampliro_" + tag + "_" + std::to_string(::getpid()) + "_" +
         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

inline std::vector<uint8_t> ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

}  // namespace ampliro::testing
