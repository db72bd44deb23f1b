// The generator is deterministic: run again, it writes the very bytes that
// the program embeds; and it refuses bad arguments without writing.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/resources/resources.h"

namespace ampliro {
namespace {

namespace fs = std::filesystem;

const std::string kGenerator = AMPLIRO_ARTWORK_TOOL;
const std::string kFonts = AMPLIRO_ARTWORK_FONTS;

std::vector<uint8_t> ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string FileName(const ResourceEntry& e) {
    const std::string type = e.type;
    const std::string n = std::to_string(e.number);
    if (type == "GIF") return "gif_" + n + ".jpg";
    if (type == "RT_BITMAP") return "bitmap_" + n + ".bmp";
    if (type == "SYSFONT") return "sysfont_" + n + ".bin";
    if (type == "WAVE") return "wave_" + n + ".wav";
    return "icon_" + n + ".bmp";
}

class GeneratorRun : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(fs::exists(kGenerator)) << kGenerator;
        folder_ =
            fs::temp_directory_path() / ("ampliro_artwork_test_" + std::to_string(::getpid()));
        fs::create_directories(folder_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    int Run(const std::string& fonts, const std::string& out) {
        const std::string command =
            "'" + kGenerator + "' '" + fonts + "' '" + out + "' 2>/dev/null";
        return std::system(command.c_str());
    }
    fs::path folder_;
};

TEST_F(GeneratorRun, RebuildsEveryEmbeddedResourceByteForByte) {
    ASSERT_EQ(Run(kFonts, folder_.string()), 0);
    for (const ResourceEntry& e : ProgramModule().Entries()) {
        SCOPED_TRACE(FileName(e));
        const std::vector<uint8_t> bytes = ReadAll(folder_ / FileName(e));
        ASSERT_EQ(bytes.size(), e.size);
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), e.data));
    }
    EXPECT_TRUE(fs::exists(folder_ / "contact_sheet.png"));
}

TEST_F(GeneratorRun, MissingFontsFailWithoutWritingAnything) {
    EXPECT_NE(Run((folder_ / "no fonts here").string(), folder_.string()), 0);
    EXPECT_TRUE(fs::is_empty(folder_));
}

TEST_F(GeneratorRun, UnwritableOutputFails) {
    EXPECT_NE(Run(kFonts, (folder_ / "missing" / "deeper").string()), 0);
}

}  // namespace
}  // namespace ampliro
