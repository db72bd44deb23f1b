#include "app/command_line.h"

#include <cstring>

// The build passes the project's version for this file alone.
#ifndef AMPLIRO_VERSION
#define AMPLIRO_VERSION "unknown"
#endif

namespace ampliro {
namespace {

constexpr int kExitSuccess = 0;
constexpr int kExitUsage = 2;

constexpr const char* kUsage =
    "usage: ampliro [--preset FILE] [--portable] [--backend jack|pulse|sdl]\n"
    "       ampliro --help | --version\n"
    "  --preset FILE    start with the sound saved in this preset file\n"
    "  --portable       keep settings, presets and recordings beside the program\n"
    "  --backend NAME   use this sound system: jack, pulse or sdl\n"
    "                   (default: JACK if a server answers, else PulseAudio, else SDL)\n"
    "  -h, --help       show this help and exit\n"
    "  -V, --version    show the version and exit\n";

constexpr const char* kVersion =
    "ampliro " AMPLIRO_VERSION
    "\n"
    "Copyright (C) 2026 The Ampliro developers\n"
    "License GPLv3+: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.\n";

bool ParseBackend(const std::string& name, AudioBackendChoice& backend) {
    if (name == "jack") {
        backend = AudioBackendChoice::kJack;
    } else if (name == "pulse") {
        backend = AudioBackendChoice::kPulse;
    } else if (name == "sdl") {
        backend = AudioBackendChoice::kSdl;
    } else {
        return false;
    }
    return true;
}

CommandLine UsageError(std::string problem) {
    CommandLine result;
    result.action = CommandLineAction::kUsageError;
    result.problem = std::move(problem);
    return result;
}

}  // namespace

CommandLine ParseCommandLine(int argc, const char* const* argv) {
    CommandLine result;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            result.action = CommandLineAction::kShowHelp;
            return result;
        }
        if (arg == "--version" || arg == "-V") {
            result.action = CommandLineAction::kShowVersion;
            return result;
        }
        if (arg == "--portable") {
            result.portable = true;
            continue;
        }
        // The two options with a value, as "--name VALUE" or "--name=VALUE".
        std::string name = arg;
        std::string value;
        bool hasValue = false;
        const size_t equals = arg.find('=');
        if (arg.rfind("--", 0) == 0 && equals != std::string::npos) {
            name = arg.substr(0, equals);
            value = arg.substr(equals + 1);
            hasValue = true;
        }
        if (name != "--preset" && name != "--backend") {
            if (arg.size() > 1 && arg[0] == '-') return UsageError("unknown option " + arg);
            return UsageError("unexpected argument " + arg);
        }
        if (!hasValue) {
            if (i + 1 >= argc) return UsageError(name + " needs a value");
            value = argv[++i];
        }
        if (name == "--preset") {
            if (value.empty()) return UsageError("--preset needs a file name");
            result.presetFile = value;
        } else if (!ParseBackend(value, result.backend)) {
            return UsageError("unknown sound system " + value + " (use jack, pulse or sdl)");
        }
    }
    return result;
}

int ReportCommandLine(const CommandLine& commandLine, std::FILE* out, std::FILE* err) {
    switch (commandLine.action) {
        case CommandLineAction::kRun:
            return -1;
        case CommandLineAction::kShowHelp:
            std::fputs(kUsage, out);
            return kExitSuccess;
        case CommandLineAction::kShowVersion:
            std::fputs(kVersion, out);
            return kExitSuccess;
        case CommandLineAction::kUsageError:
            std::fprintf(err, "ampliro: %s\n", commandLine.problem.c_str());
            std::fputs(kUsage, err);
            return kExitUsage;
    }
    return kExitUsage;
}

}  // namespace ampliro
