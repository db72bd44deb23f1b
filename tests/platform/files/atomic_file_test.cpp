#include "platform/files/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/test_files.h"
#include "tests/write_limit.h"

namespace ampliro {
namespace {

namespace fs = std::filesystem;

class AtomicFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = testing::FreshTestFolder("atomic");
        target = (folder / "song.preset").string();
    }
    void TearDown() override { fs::remove_all(folder); }

    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // Every name in the folder: a failed or finished save leaves no
    // temporary behind.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        return names;
    }
    static bool WriteAll(AtomicFile& file, const std::string& text) {
        std::FILE* out = file.Open();
        if (!out) return false;
        std::fwrite(text.data(), 1, text.size(), out);
        return file.Commit();
    }

    fs::path folder;
    std::string target;
};

TEST_F(AtomicFileTest, CommitReplacesTheOldFileAndLeavesNoTemporary) {
    std::ofstream(target, std::ios::binary) << "old contents";
    AtomicFile file(target);
    ASSERT_TRUE(WriteAll(file, "new"));
    EXPECT_EQ(file.Error(), 0);
    EXPECT_EQ(Read(target), "new");
    EXPECT_EQ(Names(), std::vector<std::string>{"song.preset"});
}

TEST_F(AtomicFileTest, TheOldFileStaysUntilCommit) {
    std::ofstream(target, std::ios::binary) << "old contents";
    AtomicFile file(target);
    std::FILE* out = file.Open();
    ASSERT_NE(out, nullptr);
    std::fputs("half of the new", out);
    std::fflush(out);
    EXPECT_EQ(Read(target), "old contents");
}

TEST_F(AtomicFileTest, AnAbandonedWriteRemovesItsTemporary) {
    std::ofstream(target, std::ios::binary) << "old";
    {
        AtomicFile file(target);
        ASSERT_NE(file.Open(), nullptr);
        EXPECT_EQ(Names().size(), 2u);
    }
    EXPECT_EQ(Names(), std::vector<std::string>{"song.preset"});
    EXPECT_EQ(Read(target), "old");
}

TEST_F(AtomicFileTest, AWriteThatFailsHalfWayLeavesTheOldFileByteForByte) {
    std::string old(300, '\0');
    for (size_t i = 0; i < old.size(); ++i) old[i] = static_cast<char>(i * 7);
    std::ofstream(target, std::ios::binary) << old;
    // 8000 bytes through a stream whose files stop at 1000: the flush fails
    // after the first kilobyte, as on a disk that fills up.
    const int error = testing::RunWithFileSizeLimit(1000, [&] {
        AtomicFile file(target);
        if (WriteAll(file, std::string(8000, 'x'))) return 0;
        return file.Error();
    });
    EXPECT_EQ(error, EFBIG);
    EXPECT_EQ(Read(target), old);
    EXPECT_EQ(Names(), std::vector<std::string>{"song.preset"});
}

TEST_F(AtomicFileTest, FailuresReportTheirReason) {
    AtomicFile missingFolder((folder / "no" / "such.preset").string());
    EXPECT_FALSE(WriteAll(missingFolder, "x"));
    EXPECT_EQ(missingFolder.Error(), ENOENT);
    EXPECT_EQ(ErrorText(ENOENT), "No such file or directory");

    // A folder in the target's place cannot be replaced by a file.
    fs::create_directories(target);
    AtomicFile overFolder(target);
    EXPECT_FALSE(WriteAll(overFolder, "x"));
    EXPECT_EQ(overFolder.Error(), EISDIR);
    EXPECT_TRUE(fs::is_directory(target));
    EXPECT_EQ(Names(), std::vector<std::string>{"song.preset"});

    AtomicFile neverOpened(target);
    EXPECT_FALSE(neverOpened.Commit());
    EXPECT_NE(neverOpened.Error(), 0);
}

TEST_F(AtomicFileTest, TheNewFileGetsTheUsersUsualPermissions) {
    const mode_t previous = ::umask(022);
    AtomicFile file(target);
    const bool written = WriteAll(file, "x");
    ::umask(previous);
    ASSERT_TRUE(written);
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
}

}  // namespace
}  // namespace ampliro
