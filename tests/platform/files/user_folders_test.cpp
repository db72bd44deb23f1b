#include "platform/files/user_folders.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/test_files.h"

namespace ampliro {
namespace {

namespace fs = std::filesystem;

struct FolderRow {
    const char* name;
    FolderEnvironment environment;
    bool portable;
    const char* config;
    const char* data;
    const char* lock;
};

FolderEnvironment Env(const char* home, const char* configHome = "", const char* dataHome = "",
                      const char* runtimeDir = "") {
    FolderEnvironment environment;
    environment.programFolder = "/opt/amp/bin";
    environment.home = home;
    environment.configHome = configHome;
    environment.dataHome = dataHome;
    environment.runtimeDir = runtimeDir;
    return environment;
}

FolderEnvironment With(FolderEnvironment environment, bool option, bool preferences, bool marker) {
    environment.portableRequested = option;
    environment.preferencesBesideProgram = preferences;
    environment.markerBesideProgram = marker;
    return environment;
}

TEST(UserFoldersTest, TheFolderChoiceFollowsTheEnvironment) {
    const FolderRow rows[] = {
        {"xdg unset: the defaults below home", Env("/home/al"), false, "/home/al/.config/ampliro",
         "/home/al/.local/share/ampliro", "/home/al/.config/ampliro"},
        {"xdg set", Env("/home/al", "/cfg", "/dat", "/run/user/7"), false, "/cfg/ampliro",
         "/dat/ampliro", "/run/user/7"},
        {"relative xdg values are ignored", Env("/home/al", "cfg", "./dat", "run"), false,
         "/home/al/.config/ampliro", "/home/al/.local/share/ampliro", "/home/al/.config/ampliro"},
        {"a trailing slash makes no double slash", Env("/home/al/", "/cfg/"), false, "/cfg/ampliro",
         "/home/al/.local/share/ampliro", "/cfg/ampliro"},
        {"no home but both xdg folders", Env("", "/cfg", "/dat"), false, "/cfg/ampliro",
         "/dat/ampliro", "/cfg/ampliro"},
        {"no usable home: beside the program", Env("home", "/cfg"), true, "/opt/amp/bin",
         "/opt/amp/bin", "/opt/amp/bin"},
        {"--portable", With(Env("/home/al"), true, false, false), true, "/opt/amp/bin",
         "/opt/amp/bin", "/opt/amp/bin"},
        {"VRPREFS.DAT beside the program", With(Env("/home/al"), false, true, false), true,
         "/opt/amp/bin", "/opt/amp/bin", "/opt/amp/bin"},
        {"a portable file beside the program", With(Env("/home/al", "/cfg"), false, false, true),
         true, "/opt/amp/bin", "/opt/amp/bin", "/opt/amp/bin"},
    };
    for (const FolderRow& row : rows) {
        SCOPED_TRACE(row.name);
        const UserFolders folders = ChooseUserFolders(row.environment);
        EXPECT_EQ(folders.portable, row.portable);
        EXPECT_EQ(folders.portableReason.empty(), !row.portable);
        EXPECT_EQ(folders.config, row.config);
        EXPECT_EQ(folders.data, row.data);
        EXPECT_EQ(folders.lock, row.lock);
        const std::string presets = row.portable ? row.data : std::string(row.data) + "/presets";
        EXPECT_EQ(folders.presets, presets);
        EXPECT_EQ(folders.recordings,
                  row.portable ? row.data : std::string(row.data) + "/recordings");
        EXPECT_EQ(folders.models, std::string(row.data) + "/models");
        EXPECT_EQ(folders.cabinets, std::string(row.data) + "/cabinets");
    }
}

TEST(UserFoldersTest, FactoryPresetsAreLookedForInTheInstalledTreeThenTheBuildFolder) {
    EXPECT_EQ(FactoryPresetCandidates("/usr/bin"),
              (std::vector<std::string>{"/usr/share/ampliro/presets", "/usr/bin/factory-presets"}));
}

class UserFoldersOnDiskTest : public ::testing::Test {
  protected:
    void SetUp() override {
        root = testing::FreshTestFolder("folders");
        fs::create_directories(root / "bin");
        FolderEnvironment environment = Env((root / "home").c_str());
        environment.programFolder = (root / "bin").string();
        folders = ChooseUserFolders(environment);
    }
    void TearDown() override { fs::remove_all(root); }
    void Write(const fs::path& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path root;
    UserFolders folders;
};

TEST_F(UserFoldersOnDiskTest, ReadingTheEnvironmentSeesThePortableTriggers) {
    const std::string program = (root / "bin").string();
    EXPECT_FALSE(ReadFolderEnvironment(program, false).markerBesideProgram);
    Write(root / "bin" / "portable", "");
    Write(root / "bin" / "VRPREFS.DAT", "");
    const FolderEnvironment environment = ReadFolderEnvironment(program, true);
    EXPECT_TRUE(environment.portableRequested);
    EXPECT_TRUE(environment.markerBesideProgram);
    EXPECT_TRUE(environment.preferencesBesideProgram);
}

TEST_F(UserFoldersOnDiskTest, TheFolderThatCannotBeMadeIsNamedWithTheReason) {
    ASSERT_TRUE(MakeUserFolders(folders).empty());
    for (const std::string& folder :
         {folders.config, folders.presets, folders.recordings, folders.models, folders.cabinets})
        EXPECT_TRUE(fs::is_directory(folder)) << folder;

    // A file where the config folder's parent should be (this works for
    // root too, whom permissions do not stop).
    fs::remove_all(root / "home");
    fs::create_directories(root / "home");
    Write(root / "home" / ".config", "a file");
    const std::vector<std::string> problems = MakeUserFolders(folders);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0], folders.config + ": Not a directory.");
    EXPECT_TRUE(fs::is_directory(folders.presets));
}

TEST_F(UserFoldersOnDiskTest, APortableCopyGetsNoNewFolders) {
    const UserFolders portable = PortableFolders((root / "bin").string());
    EXPECT_TRUE(MakeUserFolders(portable).empty());
    EXPECT_TRUE(fs::is_empty(root / "bin"));
}

TEST_F(UserFoldersOnDiskTest, PresetsBesideTheProgramAreCopiedNeverMovedNorOverUsersFiles) {
    ASSERT_TRUE(MakeUserFolders(folders).empty());
    const fs::path bin = root / "bin";
    Write(bin / "Defaults.preset", "working sound");
    Write(bin / "rock.preset", "rock");
    Write(bin / "jazz.preset", "jazz beside");
    Write(bin / "notes.txt", "not a preset");
    Write(bin / ".hidden.preset", "hidden");
    Write(fs::path(folders.presets) / "jazz.preset", "jazz of the user");

    std::vector<std::string> problems;
    const std::vector<std::string> copied = CopyPresetsOver(bin.string(), folders, &problems);
    EXPECT_EQ(copied, (std::vector<std::string>{"Defaults.preset", "rock.preset"}));
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(Read(fs::path(folders.data) / "Defaults.preset"), "working sound");
    EXPECT_EQ(Read(fs::path(folders.presets) / "rock.preset"), "rock");
    EXPECT_EQ(Read(fs::path(folders.presets) / "jazz.preset"), "jazz of the user");
    EXPECT_FALSE(fs::exists(fs::path(folders.presets) / "notes.txt"));
    EXPECT_FALSE(fs::exists(fs::path(folders.presets) / ".hidden.preset"));
    // The originals stay.
    EXPECT_EQ(Read(bin / "rock.preset"), "rock");
    EXPECT_EQ(Read(bin / "Defaults.preset"), "working sound");
}

}  // namespace
}  // namespace ampliro
