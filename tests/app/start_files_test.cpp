#include "app/start_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace ampliro {
namespace {

namespace fs = std::filesystem;

TEST(StartFilesTest, APresetFileIsUsableOnlyWholeAndReadable) {
    const fs::path folder =
        fs::temp_directory_path() / ("ampliro_start_files_" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder / "a folder.preset");
    std::ofstream(folder / "whole.preset", std::ios::binary) << std::string(268, '\0');
    std::ofstream(folder / "short.preset", std::ios::binary) << std::string(100, '\0');
    std::ofstream(folder / "long.preset", std::ios::binary) << std::string(269, '\0');
    std::ofstream(folder / "empty.preset", std::ios::binary);
    struct Row {
        const char* name;
        std::string problem;
    };
    const Row rows[] = {
        {"whole.preset", ""},
        {"missing.preset", "No such file or directory"},
        {"a folder.preset", "Is a directory"},
        {"short.preset", "it is 100 bytes long, a preset 268"},
        {"long.preset", "it is 269 bytes long, a preset 268"},
        {"empty.preset", "it is 0 bytes long, a preset 268"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(PresetFileProblem((folder / row.name).string()), row.problem) << row.name;
    fs::remove_all(folder);
}

TEST(StartFilesTest, TheMessagesNameTheFileAndWhatHappensInstead) {
    EXPECT_EQ(PresetNotLoadedText("/x/rock.preset", "No such file or directory"),
              "The preset '/x/rock.preset' could not be loaded:\rNo such file or directory."
              "\r\rAmpliro starts with its last sound instead.");
    EXPECT_EQ(
        PresetsCopiedText({"a.preset", "b.preset"}, "/opt/amp", "/h/.local/share/ampliro/presets"),
        "Ampliro now keeps your presets in /h/.local/share/ampliro/presets.\r\r2 presets "
        "found in /opt/amp were copied there (a.preset, b.preset); the originals are "
        "still where they were.");
    EXPECT_NE(
        PresetsCopiedText({"a.preset"}, "/opt", "/p").find("1 preset found in /opt was copied"),
        std::string::npos);
    EXPECT_EQ(FolderProblemsText({"/h/.config/ampliro: Permission denied."}),
              "Ampliro could not make these folders, so what belongs in them cannot be saved:\r"
              "\r/h/.config/ampliro: Permission denied.");
    EXPECT_NE(BackendMissingText("jack").find("--backend jack, but no JACK server answers"),
              std::string::npos);
}

}  // namespace
}  // namespace ampliro
