// Two minutes of bench/soak_jack.sh: the program on a JACK server of its own,
// flooded with MIDI, its server's period changed and the server restarted
// under it, presets loaded ten times a second, the disk filled under the
// recorder. The script ends everything it started; killed hard, its
// children go with it (--pdeathsig), and so does it with this test.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

extern char** environ;

namespace ampliro {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

std::string Line(const std::string& report, const std::string& start) {
    std::istringstream in(report);
    for (std::string line; std::getline(in, line);)
        if (line.rfind(start, 0) == 0) return line;
    return "(no line " + start + ")";
}

TEST(SoakRunTest, TwoMinutesEndWithoutCrashWithWholeFiles) {
    const std::filesystem::path output = std::filesystem::temp_directory_path() /
                                         ("ampliro_soak_" + std::to_string(::getpid()) + ".txt");
    const std::string script = std::string(AMPLIRO_SOURCE_DIR) + "/bench/soak_jack.sh";
    // The sanitizers' own memory makes the resident figure meaningless.
    ::setenv("MEMORY_CHECK", kSanitized ? "0" : "1", 1);
    ::setenv("BUILD", AMPLIRO_BINARY_DIR, 1);
    ::setenv("SOAK_SEED", "25", 1);
    ::setenv("SOAK_SERVER", "ampliro-soak-test", 1);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&files, 1, 2);
    const char* argv[] = {"setpriv", "--pdeathsig", "KILL", "bash", script.c_str(), "120", nullptr};
    pid_t pid = 0;
    ASSERT_EQ(::posix_spawnp(&pid, "setpriv", &files, nullptr, const_cast<char**>(argv), environ),
              0);
    posix_spawn_file_actions_destroy(&files);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    std::ifstream in(output);
    const std::string report((std::istreambuf_iterator<char>(in)), {});
    std::filesystem::remove(output);

    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << report;
    EXPECT_EQ(Line(report, "crashes:"), "crashes:            0") << report;
    EXPECT_TRUE(std::regex_search(Line(report, "preset:"), std::regex("whole .*Defaults.preset")))
        << report;
    EXPECT_TRUE(std::regex_search(Line(report, "last recording:"), std::regex("whole .*samples")))
        << report;
    // The take that the full disk stopped keeps what was written before.
    EXPECT_TRUE(std::regex_search(Line(report, "on the full disk:"),
                                  std::regex("whole .*: [1-9][0-9]* samples|no disk fill")))
        << report;
    // Each restart of the server ends with the power on again.
    std::smatch restarts;
    const std::string line = Line(report, "server restarts:");
    ASSERT_TRUE(std::regex_search(
        line, restarts, std::regex("restarts: +([0-9]+), power back on .* ([0-9]+) times")))
        << report;
    EXPECT_EQ(restarts[1], "2");
    EXPECT_EQ(restarts[2], "2");
}

}  // namespace
}  // namespace ampliro
