// The program itself, started as a user starts it from a terminal: from a
// portable copy in a folder of its own, which becomes its program folder.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/child_process.h"
#include "tests/test_files.h"

namespace ampliro {
namespace {

namespace fs = std::filesystem;

class ProgramBinaryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = testing::FreshTestFolder("binary");
        fs::copy_file(AMPLIRO_PROGRAM, folder / "ampliro");
        // A portable copy: its files beside it, never in the user's home.
        std::ofstream(folder / "portable").put('\n');
    }
    void TearDown() override { fs::remove_all(folder); }

    // Runs a shell script in the folder; its output (both streams) and its
    // exit code.
    std::string Run(const std::string& script, int* code) {
        return test::RunShell("cd '" + folder.string() + "' && (" + script + ")", code);
    }

    fs::path folder;
};

TEST_F(ProgramBinaryTest, WithoutADisplayItSaysSoAndExitsWithAnError) {
    // No desktop at all: SDL would fall back on its invisible offscreen
    // driver, and a program no one can see would hold the single-instance
    // lock. Twice, so the first run is seen to leave no lock behind.
    const std::string start =
        "env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER XDG_RUNTIME_DIR=/nonexistent "
        "SDL_AUDIODRIVER=dummy timeout 20 ./ampliro";
    for (int run = 0; run < 2; ++run) {
        int code = 0;
        const std::string output = Run(start, &code);
        EXPECT_EQ(code, 1) << output;
        EXPECT_NE(output.find("No display could be opened."), std::string::npos) << output;
    }
}

TEST_F(ProgramBinaryTest, CtrlCInTheTerminalSavesAndExits) {
    for (const char* signal : {"INT", "TERM", "HUP"}) {
        SCOPED_TRACE(signal);
        fs::remove(folder / "Defaults.preset");
        fs::remove(folder / "VRPREFS.DAT");
        int code = -1;
        const std::string output =
            Run(std::string("SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy ./ampliro & pid=$!; "
                            "sleep 2; kill -") +
                    signal + " $pid; wait $pid",
                &code);
        EXPECT_EQ(code, 0) << output;
        EXPECT_TRUE(fs::exists(folder / "Defaults.preset"));
        ASSERT_TRUE(fs::exists(folder / "VRPREFS.DAT"));
        EXPECT_EQ(fs::file_size(folder / "VRPREFS.DAT"), 28u);
    }
}

// The X server ends under the program (a session closed, a crash): the
// program saves the session and ends with code 1, as a terminal user can
// see, instead of aborting; the next start finds the settings and runs.
TEST_F(ProgramBinaryTest, TheDisplayGoingAwaySavesAndEnds) {
    const std::string display = ":" + std::to_string(100 + ::getpid() % 400);
    const std::string server =
        "setpriv --pdeathsig KILL Xvfb " + display +
        " -screen 0 640x800x24 -nolisten tcp >/dev/null 2>&1 & x=$!; sleep 1; ";
    // On that X server, whatever driver the test environment names; a
    // program that missed the loss would be ended by the timeout (124).
    const std::string program =
        "DISPLAY=" + display + " SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy timeout 20 ./ampliro";
    int code = -1;
    std::string output =
        Run(server + program + " & pid=$!; sleep 3; kill -KILL $x; wait $x; wait $pid", &code);
    EXPECT_EQ(code, 1) << output;
    EXPECT_NE(output.find("Ampliro: the display has gone away; saving and ending."),
              std::string::npos)
        << output;
    EXPECT_EQ(output.find("terminate called"), std::string::npos) << output;
    EXPECT_EQ(fs::file_size(folder / "Defaults.preset"), 268u);
    EXPECT_EQ(fs::file_size(folder / "VRPREFS.DAT"), 28u);
    // The next start is not taken for a second copy: it runs until told to
    // end (timeout passes the signal on), and ends with 0.
    output = Run(
        server + program + " & pid=$!; sleep 3; kill -TERM $pid; wait $pid; r=$?; kill $x; exit $r",
        &code);
    EXPECT_EQ(code, 0) << output;
}

}  // namespace
}  // namespace ampliro
