// The program's command-line options, read before anything opens a window:
// --help and --version answer on a terminal without a display.
#pragma once

#include <cstdio>
#include <string>

namespace ampliro {

enum class CommandLineAction {
    kRun,          // start the program with the options below
    kShowHelp,     // --help, -h
    kShowVersion,  // --version, -V
    kUsageError,   // an unknown option, a missing or wrong value
};

// The sound system asked for; kAutomatic tries them in the usual order.
enum class AudioBackendChoice { kAutomatic, kJack, kPulse, kSdl };

struct CommandLine {
    CommandLineAction action = CommandLineAction::kRun;
    // --preset FILE: the sound to start with; empty when not given.
    std::string presetFile;
    // --portable: keep every file beside the program.
    bool portable = false;
    // --backend jack|pulse|sdl.
    AudioBackendChoice backend = AudioBackendChoice::kAutomatic;
    // What was wrong, for kUsageError.
    std::string problem;
};

// Both "--preset FILE" and "--preset=FILE" are accepted; a later option of
// the same name wins. The first --help or --version ends the reading (as
// GNU programs do); an error ends it too.
CommandLine ParseCommandLine(int argc, const char* const* argv);

// Prints what a non-kRun result asks for (help and version on out; the
// problem and the usage on err) and returns the exit code: 0, or 2 for a
// usage error. Returns -1 and prints nothing for kRun.
int ReportCommandLine(const CommandLine& commandLine, std::FILE* out, std::FILE* err);

}  // namespace ampliro
