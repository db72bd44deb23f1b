// The program: a memory check, the window, then the frame loop of Application.
#include <cstdint>
#include <cstdio>
#include <memory>

#include "app/application.h"
#include "app/command_line.h"
#include "app/start_files.h"
#include "audio/power.h"
#include "platform/audio/live_audio.h"
#include "platform/files/single_instance.h"
#include "platform/files/user_folders.h"
#include "platform/system/system_memory.h"
#include "platform/system/termination_signals.h"
#include "platform/window/window.h"

int main(int argc, char** argv) {
    using namespace ampliro;
    // --help and --version answer before anything touches the display.
    const CommandLine commandLine = ParseCommandLine(argc, argv);
    if (commandLine.action != CommandLineAction::kRun)
        return ReportCommandLine(commandLine, stdout, stderr);
    auto game = std::make_unique<Application>();
    if (AvailableMemoryBytes() < 2048000) {
        ShowPlatformMessageBox(nullptr, "Insufficient Memory",
                               "Quorvell requires at least 2Mb of free memory in order to run, "
                               "ideally 3Mb or more. Please free off some memory and try again.");
        return 0;
    }
    // The user's folders, or beside the program for a portable copy.
    const std::string programFolder = ExecutableFolder();
    game->UseFolders(ChooseUserFolders(ReadFolderEnvironment(programFolder, commandLine.portable)),
                     programFolder);
    game->factoryPresets = FindFactoryPresetFolder(programFolder);
    game->startPreset = commandLine.presetFile;
    if (commandLine.backend != AudioBackendChoice::kAutomatic) {
        const bool jack = commandLine.backend == AudioBackendChoice::kJack;
        const bool pulse = commandLine.backend == AudioBackendChoice::kPulse;
        const LiveBackendChoice choice = jack    ? LiveBackendChoice::kJack
                                         : pulse ? LiveBackendChoice::kPulse
                                                 : LiveBackendChoice::kSdl;
        ForceLiveBackend(choice);
        if (!LiveBackendAnswers(choice))
            game->Tell(kAudioErrorTitle, BackendMissingText(jack ? "jack" : "pulse"));
    }
    // Before the window system starts, which leaves handlers in place.
    TerminationSignals signals;
    if (!game->CreateMainWindow(nullptr)) {
        if (game->anotherCopyRuns) return 0;  // it has come to the front instead
        ShowPlatformMessageBox(nullptr, "Ampliro",
                               "No display could be opened. Ampliro needs a graphical desktop "
                               "(DISPLAY or WAYLAND_DISPLAY).");
        return 1;
    }
    return game->Run();
}
