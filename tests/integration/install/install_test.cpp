// The installed program, as a user of a package gets it: installed into a
// temporary DESTDIR with the prefix /usr, started under Xvfb with a fresh
// home folder, ended as a desktop session ends it (SIGTERM: it saves and
// exits). What it writes must land in the user's folders, or beside the
// program when it runs portable.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "tests/child_process.h"

namespace ampliro {
namespace {

namespace fs = std::filesystem;
using test::RunShell;

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every file below folder, as paths relative to it.
std::set<std::string> FilesBelow(const fs::path& folder) {
    std::set<std::string> files;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        if (it->is_regular_file()) files.insert(fs::relative(it->path(), folder).string());
    }
    return files;
}

class InstalledProgramTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        root = fs::temp_directory_path() / ("ampliro_install_" + std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root);
        int code = -1;
        installLog =
            RunShell("DESTDIR='" + (root / "stage").string() +
                         "' '" AMPLIRO_CMAKE "' --install '" AMPLIRO_BINARY_DIR "' --prefix /usr",
                     &code);
        installed = code == 0;
        // A server of its own; the program's display is named per test run.
        display = ":" + std::to_string(500 + ::getpid() % 400);
        server = ::fork();
        if (server == 0) {
            ::execlp("Xvfb", "Xvfb", display.c_str(), "-screen", "0", "640x800x24", "-nolisten",
                     "tcp", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::usleep(700000);
    }
    static void TearDownTestSuite() {
        if (server > 0) {
            ::kill(server, SIGTERM);
            ::waitpid(server, nullptr, 0);
        }
        fs::remove_all(root);
    }
    void SetUp() override {
        ASSERT_TRUE(installed) << installLog;
        home = root / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(home);
        fs::create_directories(home);
    }

    // Starts the program with a clean environment (HOME set, no XDG
    // variables unless given), lets it come up, then ends it with SIGTERM.
    std::string StartAndEnd(const std::string& program, const std::string& environment, int* code) {
        const std::string start =
            "env -u XDG_CONFIG_HOME -u XDG_DATA_HOME -u XDG_RUNTIME_DIR -u XDG_DATA_DIRS "
            "HOME='" +
            home.string() + "' DISPLAY=" + display + " SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy " +
            environment + " timeout 20 '" + program + "'";
        return RunShell("cd '" + home.string() + "' && " + start +
                            " & pid=$!; sleep 1.5; kill -TERM $pid; wait $pid",
                        code);
    }

    fs::path Prefix() const { return root / "stage" / "usr"; }

    static inline fs::path root;
    static inline std::string installLog;
    static inline bool installed = false;
    static inline std::string display;
    static inline pid_t server = -1;
    fs::path home;
};

TEST_F(InstalledProgramTest, TheTreeHoldsTheProgramsAndTheReadOnlyFactoryPresets) {
    for (const char* path : {"bin/ampliro", "bin/ampliro-render", "lib/lv2/ampliro.lv2/ampliro.so",
                             "share/man/man1/ampliro.1.gz"})
        EXPECT_TRUE(fs::is_regular_file(Prefix() / path)) << path;
    const std::set<std::string> presets = FilesBelow(Prefix() / "share/ampliro/presets");
    EXPECT_EQ(presets.size(), 8u);
    EXPECT_TRUE(presets.count("Tremolo Surf.preset"));
    for (const std::string& name : presets) {
        const fs::path file = Prefix() / "share/ampliro/presets" / name;
        EXPECT_EQ(fs::file_size(file), 268u) << name;
        struct stat info {};
        ASSERT_EQ(::stat(file.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0444u) << name;
    }
    // The build folder's portable marker is not part of the installation.
    EXPECT_FALSE(fs::exists(Prefix() / "bin/portable"));
}

TEST_F(InstalledProgramTest, WithoutXdgVariablesItWritesOnlyBelowTheHomesDefaultFolders) {
    const std::set<std::string> before = FilesBelow(root / "stage");
    int code = -1;
    const std::string output = StartAndEnd((Prefix() / "bin/ampliro").string(), "", &code);
    ASSERT_EQ(code, 0) << output;
    const std::set<std::string> written = FilesBelow(home);
    EXPECT_EQ(written,
              (std::set<std::string>{".config/ampliro/Ampliro.lock", ".config/ampliro/VRPREFS.DAT",
                                     ".local/share/ampliro/Defaults.preset"}));
    for (const char* folder : {"presets", "recordings", "models", "cabinets"})
        EXPECT_TRUE(fs::is_directory(home / ".local/share/ampliro" / folder)) << folder;
    EXPECT_EQ(fs::file_size(home / ".local/share/ampliro/Defaults.preset"), 268u);
    EXPECT_EQ(FilesBelow(root / "stage"), before);
}

TEST_F(InstalledProgramTest, WithXdgVariablesItWritesThere) {
    const fs::path runtime = home / "run";
    fs::create_directories(runtime);
    int code = -1;
    const std::string output =
        StartAndEnd((Prefix() / "bin/ampliro").string(),
                    "XDG_CONFIG_HOME='" + (home / "cfg").string() + "' XDG_DATA_HOME='" +
                        (home / "dat").string() + "' XDG_RUNTIME_DIR='" + runtime.string() + "'",
                    &code);
    ASSERT_EQ(code, 0) << output;
    EXPECT_EQ(FilesBelow(home),
              (std::set<std::string>{"cfg/ampliro/VRPREFS.DAT", "dat/ampliro/Defaults.preset",
                                     "run/Ampliro.lock"}));
}

TEST_F(InstalledProgramTest, PortableItWritesTheSameBytesBesideTheProgram) {
    int code = -1;
    std::string output = StartAndEnd((Prefix() / "bin/ampliro").string(), "", &code);
    ASSERT_EQ(code, 0) << output;
    const std::string preset = Read(home / ".local/share/ampliro/Defaults.preset");
    const std::string preferences = Read(home / ".config/ampliro/VRPREFS.DAT");

    // A copy of the program in a folder of its own with the marker, as
    // tools/run.sh's build folder is; and the installed one with --portable.
    const fs::path copy = home / "copy";
    fs::create_directories(copy);
    fs::copy_file(Prefix() / "bin/ampliro", copy / "ampliro");
    std::ofstream(copy / "portable").put('\n');
    output = StartAndEnd((copy / "ampliro").string(), "", &code);
    ASSERT_EQ(code, 0) << output;
    EXPECT_EQ(FilesBelow(copy), (std::set<std::string>{"Ampliro.lock", "Defaults.preset",
                                                       "VRPREFS.DAT", "ampliro", "portable"}));
    EXPECT_EQ(Read(copy / "Defaults.preset"), preset);
    EXPECT_EQ(Read(copy / "VRPREFS.DAT"), preferences);

    fs::remove(copy / "portable");
    fs::remove(copy / "Defaults.preset");
    fs::remove(copy / "VRPREFS.DAT");
    fs::remove_all(home / ".config");
    fs::remove_all(home / ".local");
    const std::string command = (copy / "ampliro").string() + "' '--portable";
    output = StartAndEnd(command, "", &code);
    ASSERT_EQ(code, 0) << output;
    EXPECT_EQ(Read(copy / "Defaults.preset"), preset);
    EXPECT_EQ(Read(copy / "VRPREFS.DAT"), preferences);
    // Nothing of the program's in the home folder (libpulse may leave its
    // runtime link in ~/.config/pulse, which is no regular file).
    std::set<std::string> outside;
    for (const std::string& file : FilesBelow(home))
        if (file.rfind("copy/", 0) != 0) outside.insert(file);
    EXPECT_EQ(outside, std::set<std::string>{});
    EXPECT_FALSE(fs::exists(home / ".config/ampliro"));
    EXPECT_FALSE(fs::exists(home / ".local"));
}

}  // namespace
}  // namespace ampliro
