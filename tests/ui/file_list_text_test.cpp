#include "ui/file_list_text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace ampliro {
namespace {

TEST(FileListTextTest, SizesStepByThousandAboveTheKilobyte) {
    EXPECT_EQ(SizeText(0), "0");
    EXPECT_EQ(SizeText(500), "500");
    EXPECT_EQ(SizeText(1023), "1023");
    EXPECT_EQ(SizeText(1536), "1K");
    EXPECT_EQ(SizeText(1000 * 1024), "1000K");
    EXPECT_EQ(SizeText(1001 * 1024), "1Mb");
    EXPECT_EQ(SizeText(2500000), "2Mb");  // 2441 K
    EXPECT_EQ(SizeText(uint64_t{1000001} * 1024), "1Gb");
    EXPECT_EQ(SizeText(uint64_t{5} << 40), "5368Gb");  // 5368709120 K
}

TEST(FileListTextTest, DateOrderFollowsTheLocaleFormat) {
    EXPECT_TRUE(DayBeforeMonth("%d/%m/%y"));  // en_GB
    EXPECT_TRUE(DayBeforeMonth("%d.%m.%Y"));  // de_DE
    EXPECT_TRUE(DayBeforeMonth("%e %B %Y"));
    EXPECT_FALSE(DayBeforeMonth("%m/%d/%y"));  // C, en_US
    EXPECT_FALSE(DayBeforeMonth("%Y-%m-%d"));  // ISO, sv_SE
    EXPECT_FALSE(DayBeforeMonth("%D"));
    EXPECT_FALSE(DayBeforeMonth(""));
    EXPECT_FALSE(DayBeforeMonth(nullptr));
    EXPECT_FALSE(DayBeforeMonth("%"));
}

TEST(FileListTextTest, DatesAreTwoDigitFieldsInEitherOrder) {
    setenv("TZ", "UTC", 1);
    tzset();
    // 2026-03-04 05:06:07 UTC
    const int64_t t = 1772600767;
    EXPECT_EQ(DateText(t, true), "04/03/26");
    EXPECT_EQ(DateText(t, false), "03/04/26");
}

TEST(FileListTextTest, RootHeaderAndMenu) {
    EXPECT_EQ(FolderTitle(""), "My Device");
    EXPECT_EQ(PathMenuText(""), "01*  My Device");
    EXPECT_EQ(FolderComponents("").size(), 1u);
}

TEST(FileListTextTest, NestedFolderMenuAndCuts) {
    const std::string folder = "/Storage Card/Presets";
    EXPECT_EQ(FolderTitle(folder), "Presets");
    EXPECT_EQ(PathMenuText(folder), "01?  My Device,02?    Storage Card,03*      Presets");
    EXPECT_EQ(CutFolder(folder, 1), "");
    EXPECT_EQ(CutFolder(folder, 2), "/Storage Card");
    EXPECT_EQ(CutFolder(folder, 3), folder);
    EXPECT_EQ(CutFolder(folder, 9), folder);
    EXPECT_EQ(ParentFolder(folder), "/Storage Card");
    EXPECT_EQ(ParentFolder("/Storage Card"), "");  // ".." from a first-level folder
    EXPECT_EQ(ParentFolder(""), "");
}

TEST(FileListTextTest, DeepFolderMenuKeepsTheDeepestItemsWithinTheMenuLimits) {
    std::string folder;
    for (int i = 0; i < 30; ++i) folder += "/f" + std::to_string(i);
    const std::string menu = PathMenuText(folder);
    EXPECT_LE(menu.size(), kMenuTextLimit);
    int items = 1;
    for (char c : menu) items += c == ',';
    EXPECT_LE(items, kMenuItemLimit);
    // Codes still name their components: the last item is component 31.
    const size_t last = menu.rfind(',');
    ASSERT_NE(last, std::string::npos);
    EXPECT_EQ(menu.substr(last + 1, 3), "31*");
    EXPECT_NE(menu.find("f29"), std::string::npos);
    EXPECT_EQ(menu.find("My Device"), std::string::npos);
}

TEST(FileListTextTest, JoinedPathsStayWithinTheLimit) {
    EXPECT_EQ(JoinPath("/a", "b.preset", 259), "/a/b.preset");
    EXPECT_EQ(JoinPath("", "root.preset", 259), "/root.preset");
    const std::string folder(250, 'f');
    EXPECT_EQ(JoinPath("/" + folder, "long.preset", 259), "");
    EXPECT_EQ(JoinPath("/" + folder, "a", 259).size(), 253u);
}

TEST(FileListTextTest, PatternsMatchLikeTheFileSystemSearch) {
    EXPECT_TRUE(MatchesPattern("*.preset", "rock.preset"));
    EXPECT_TRUE(MatchesPattern("*.preset", "Rock.PRESET"));
    EXPECT_FALSE(MatchesPattern("*.preset", "rock.preset.bak"));
    EXPECT_FALSE(MatchesPattern("*.preset", "rock"));
    EXPECT_TRUE(MatchesPattern("*.*", "README"));
    EXPECT_TRUE(MatchesPattern("*.*", ".."));
    EXPECT_TRUE(MatchesPattern("a?c", "abc"));
}

}  // namespace
}  // namespace ampliro

namespace ampliro {
namespace {

TEST(FileListTextTest, UnicodeNamesShowAsTheirLatin1Letters) {
    EXPECT_EQ(DisplayName("Caf\xC3\xA9 \xC3\x9C"
                          "ber.preset"),
              "Caf\xE9 \xDC"
              "ber.preset");
    EXPECT_EQ(DisplayName("a$b;c\"d'e.preset"), "a$b;c\"d'e.preset");
    // Beyond Latin-1: one "?" for each character, however long its bytes.
    EXPECT_EQ(DisplayName("\xE2\x82\xAC"
                          "5 \xF0\x9F\x8E\xB8.preset"),
              "?5 ?.preset");
    // Not UTF-8 at all: a lone Latin-1 byte, a cut sequence, an overlong
    // slash, a surrogate, control characters.
    EXPECT_EQ(DisplayName("\xE9t\xC3"), "?t?");
    EXPECT_EQ(DisplayName("\xC0\xAF|\xED\xA0\x80\t\x7F\xC2\x85"),
              "??"
              "/??????");
}

TEST(FileListTextTest, TypedLatin1TextBecomesTheUtf8NameItShows) {
    const std::string names[] = {"Caf\xC3\xA9.preset", "\xC3\xBF\xC2\xA0x", "plain $;\".preset"};
    for (const std::string& name : names) EXPECT_EQ(FileNameFromText(DisplayName(name)), name);
    EXPECT_EQ(FileNameFromText("\xE9"), "\xC3\xA9");
}

}  // namespace
}  // namespace ampliro
