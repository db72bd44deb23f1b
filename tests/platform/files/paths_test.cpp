#include <gtest/gtest.h>
#include <sys/statvfs.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "platform/files/paths.h"

namespace ampliro {
namespace {

TEST(PathsTest, PathBesideKeepsTheFolderOfTheFile) {
    char out[kProgramPathSize];
    ASSERT_TRUE(PathBeside("/Program Files/App/app", "VRPREFS.DAT", out, sizeof out));
    EXPECT_STREQ(out, "/Program Files/App/VRPREFS.DAT");
    ASSERT_TRUE(PathBeside("/app", "RECORD.DAT", out, sizeof out));
    EXPECT_STREQ(out, "/RECORD.DAT");
    ASSERT_TRUE(PathBeside("app", "x", out, sizeof out));
    EXPECT_STREQ(out, "/x");

    char small[14];
    EXPECT_TRUE(PathBeside("/ab/c", "123456789", small, sizeof small));  // 13 and the terminator
    EXPECT_STREQ(small, "/ab/123456789");
    EXPECT_FALSE(PathBeside("/abc/c", "123456789", small, sizeof small));
    EXPECT_STREQ(small, "");
}

TEST(PathsTest, ProgramPathIsInTheExecutablesFolderAndSharesOneBuffer) {
    const std::string folder = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    const char* first = ProgramPath("VRPREFS.DAT");
    EXPECT_EQ(std::string(first), folder + "/VRPREFS.DAT");
    const char* second = ProgramPath("Defaults.preset");
    EXPECT_EQ(first, second);
    EXPECT_EQ(std::string(first), folder + "/Defaults.preset");

    // Too long for the buffer: no path at all rather than a cut one.
    const std::string longName(300, 'n');
    EXPECT_STREQ(ProgramPath(longName.c_str()), "");
}

TEST(PathsTest, ReplaceExtensionReplacesFromTheLastDotOrAppends) {
    char name[64] = "name.txt";
    ASSERT_EQ(ReplaceExtension(name, ".preset"), 1);
    EXPECT_STREQ(name, "name.preset");
    std::strcpy(name, "name");
    ASSERT_EQ(ReplaceExtension(name, ".preset"), 1);
    EXPECT_STREQ(name, "name.preset");
    std::strcpy(name, "song.old");
    ReplaceExtension(name, ".preset");
    EXPECT_STREQ(name, "song.preset");
    std::strcpy(name, "song.preset");
    ReplaceExtension(name, ".preset");
    EXPECT_STREQ(name, "song.preset");
    std::strcpy(name, "a.b.c");
    ReplaceExtension(name, ".preset");
    EXPECT_STREQ(name, "a.b.preset");
    std::strcpy(name, "/my.songs/riff");
    ReplaceExtension(name, ".preset");
    EXPECT_STREQ(name, "/my.songs/riff.preset");
}

TEST(PathsTest, ReplaceExtensionRefusesWhatWouldNotFit) {
    char name[12] = "abcd";
    EXPECT_EQ(ReplaceExtension(name, sizeof name, ".preset"), 1);  // 11 characters
    EXPECT_STREQ(name, "abcd.preset");
    char tight[12] = "abcde";
    EXPECT_EQ(ReplaceExtension(tight, sizeof tight, ".preset"), 0);
    EXPECT_STREQ(tight, "abcde");
    char unterminated[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(ReplaceExtension(unterminated, sizeof unterminated, ".x"), 0);
    EXPECT_EQ(ReplaceExtension(nullptr, 10, ".x"), 0);
}

TEST(PathsTest, DiskSpaceCountsEveryFreeBlockInKilobytes) {
    uint32_t total = 1;
    uint32_t free = 1;
    ASSERT_EQ(DiskSpace("/", &total, &free), 1);
    struct statvfs info {};
    ASSERT_EQ(statvfs("/", &info), 0);
    EXPECT_EQ(total, Kilobytes(static_cast<uint64_t>(info.f_blocks) * info.f_frsize));
    EXPECT_GE(total, free);
    EXPECT_GT(total, 0u);

    EXPECT_EQ(DiskSpace("/no/such/folder/anywhere", &total, &free), 0);
    EXPECT_EQ(total, 0u);
    EXPECT_EQ(free, 0u);
    EXPECT_EQ(DiskSpace(nullptr, &total, &free), 0);
}

TEST(PathsTest, KilobytesMatchTheSplitWordRuleAndHoldAbove4TiB) {
    // (low 32 bits >> 10) + high 32 bits x 0x400000 for sizes below 4 TiB.
    const uint64_t bytes = 0x123456789ABull;
    const uint32_t low = static_cast<uint32_t>(bytes);
    const uint32_t high = static_cast<uint32_t>(bytes >> 32);
    EXPECT_EQ(Kilobytes(bytes), (low >> 10) + high * 0x400000u);
    EXPECT_EQ(Kilobytes(1023), 0u);
    EXPECT_EQ(Kilobytes(1024), 1u);
    EXPECT_EQ(Kilobytes((uint64_t{1} << 42) - 1), 0xFFFFFFFFu);
    EXPECT_EQ(Kilobytes(uint64_t{1} << 50), 0xFFFFFFFFu);
}

}  // namespace
}  // namespace ampliro
