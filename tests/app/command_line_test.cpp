#include "app/command_line.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace ampliro {
namespace {

using Action = CommandLineAction;
using Backend = AudioBackendChoice;

struct Outcome {
    CommandLine parsed;
    int exitCode;
    std::string out;
    std::string err;
};

// Parses the arguments after the program name and reports the result into
// two memory streams, as main() does into stdout and stderr.
Outcome ParseAndReport(const std::vector<std::string>& args) {
    std::vector<const char*> argv{"ampliro"};
    for (const std::string& arg : args) argv.push_back(arg.c_str());
    Outcome outcome{ParseCommandLine(static_cast<int>(argv.size()), argv.data()), 0, {}, {}};
    char* outText = nullptr;
    char* errText = nullptr;
    size_t outSize = 0;
    size_t errSize = 0;
    std::FILE* out = open_memstream(&outText, &outSize);
    std::FILE* err = open_memstream(&errText, &errSize);
    outcome.exitCode = ReportCommandLine(outcome.parsed, out, err);
    std::fclose(out);
    std::fclose(err);
    outcome.out.assign(outText, outSize);
    outcome.err.assign(errText, errSize);
    std::free(outText);
    std::free(errText);
    return outcome;
}

std::string Joined(const std::vector<std::string>& args) {
    std::string joined;
    for (const std::string& arg : args) joined += "[" + arg + "]";
    return joined;
}

struct RunRow {
    std::vector<std::string> args;
    std::string presetFile;
    bool portable;
    Backend backend;
};

TEST(CommandLineTest, ReadsEachOptionInBothForms) {
    const RunRow rows[] = {
        {{}, "", false, Backend::kAutomatic},
        {{"--preset", "Clean.preset"}, "Clean.preset", false, Backend::kAutomatic},
        {{"--preset=My Sound"}, "My Sound", false, Backend::kAutomatic},
        // A file whose name starts with "--" is still the preset's value.
        {{"--preset", "--odd"}, "--odd", false, Backend::kAutomatic},
        {{"--portable"}, "", true, Backend::kAutomatic},
        {{"--backend", "jack"}, "", false, Backend::kJack},
        {{"--backend=pulse"}, "", false, Backend::kPulse},
        {{"--backend", "jack", "--backend", "sdl"}, "", false, Backend::kSdl},
        {{"--portable", "--preset", "a", "--backend", "pulse"}, "a", true, Backend::kPulse},
    };
    for (const RunRow& row : rows) {
        SCOPED_TRACE(Joined(row.args));
        const Outcome outcome = ParseAndReport(row.args);
        EXPECT_EQ(outcome.parsed.action, Action::kRun);
        EXPECT_EQ(outcome.exitCode, -1);
        EXPECT_EQ(outcome.parsed.presetFile, row.presetFile);
        EXPECT_EQ(outcome.parsed.portable, row.portable);
        EXPECT_EQ(outcome.parsed.backend, row.backend);
        EXPECT_EQ(outcome.out + outcome.err, "");
    }
}

struct StopRow {
    std::vector<std::string> args;
    Action action;
    int exitCode;
    std::string firstErrorLine;  // for usage errors: the problem
};

TEST(CommandLineTest, HelpVersionAndMistakesEndTheProgram) {
    const StopRow rows[] = {
        {{"--help"}, Action::kShowHelp, 0, ""},
        {{"-h", "--bogus"}, Action::kShowHelp, 0, ""},
        {{"--version"}, Action::kShowVersion, 0, ""},
        {{"--portable", "-V"}, Action::kShowVersion, 0, ""},
        {{"--bogus"}, Action::kUsageError, 2, "ampliro: unknown option --bogus"},
        {{"--bogus", "--help"}, Action::kUsageError, 2, "ampliro: unknown option --bogus"},
        {{"--portable=yes"}, Action::kUsageError, 2, "ampliro: unknown option --portable=yes"},
        {{"-"}, Action::kUsageError, 2, "ampliro: unexpected argument -"},
        {{"Clean.preset"}, Action::kUsageError, 2, "ampliro: unexpected argument Clean.preset"},
        {{""}, Action::kUsageError, 2, "ampliro: unexpected argument "},
        {{"--preset"}, Action::kUsageError, 2, "ampliro: --preset needs a value"},
        {{"--preset="}, Action::kUsageError, 2, "ampliro: --preset needs a file name"},
        {{"--backend", "JACK"},
         Action::kUsageError,
         2,
         "ampliro: unknown sound system JACK (use jack, pulse or sdl)"},
        {{"--backend="},
         Action::kUsageError,
         2,
         "ampliro: unknown sound system  (use jack, pulse or sdl)"},
    };
    for (const StopRow& row : rows) {
        SCOPED_TRACE(Joined(row.args));
        const Outcome outcome = ParseAndReport(row.args);
        EXPECT_EQ(outcome.parsed.action, row.action);
        EXPECT_EQ(outcome.exitCode, row.exitCode);
        if (row.action == Action::kUsageError) {
            EXPECT_EQ(outcome.out, "");
            EXPECT_EQ(outcome.err.substr(0, outcome.err.find('\n')), row.firstErrorLine);
            // The usage follows the problem.
            EXPECT_NE(outcome.err.find("\nusage: ampliro [--preset FILE]"), std::string::npos);
        } else {
            EXPECT_NE(outcome.out, "");
            EXPECT_EQ(outcome.err, "");
        }
    }
}

TEST(CommandLineTest, HelpAndVersionGoToStandardOutput) {
    const Outcome help = ParseAndReport({"--help"});
    EXPECT_EQ(help.out.rfind("usage: ampliro [--preset FILE] [--portable]", 0), 0u) << help.out;
    EXPECT_NE(help.out.find("--backend NAME"), std::string::npos);
    EXPECT_EQ(help.err, "");

    const Outcome version = ParseAndReport({"--version"});
    EXPECT_EQ(version.out.rfind("ampliro " AMPLIRO_TEST_VERSION "\n", 0), 0u) << version.out;
    EXPECT_NE(version.out.find("GPL version 3 or later"), std::string::npos);
    EXPECT_EQ(version.err, "");
}

}  // namespace
}  // namespace ampliro
