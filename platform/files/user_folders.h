// Where the program keeps the user's files.
//
// Installed (a package, /usr/bin/ampliro) the program cannot write beside
// itself, so it follows the XDG base-directory rules: settings in
// $XDG_CONFIG_HOME/ampliro (default ~/.config/ampliro), sounds, presets and
// recordings in $XDG_DATA_HOME/ampliro (default ~/.local/share/ampliro), the
// single-instance lock in $XDG_RUNTIME_DIR. A value that is not an absolute
// path is ignored, as those rules ask.
//
// A portable copy keeps every file beside the program, as the program always
// did: chosen by --portable, by a file named "portable" beside the program,
// or by a "VRPREFS.DAT" already there (a copy that has run before keeps its
// files where they are).
//
// ChooseUserFolders is a pure function of what ReadFolderEnvironment
// gathers, so every rule can be tried without touching the real home.
#pragma once

#include <string>
#include <vector>

namespace ampliro {

inline constexpr const char* kPortableMarker = "portable";
inline constexpr const char* kFolderName = "ampliro";
// UserFolders::portableReason when neither HOME nor the XDG variables name a
// usable folder.
inline constexpr const char* kNoHomeReason =
    "there is no home folder (HOME is not an absolute path)";

struct FolderEnvironment {
    // The executable's folder.
    std::string programFolder;
    // $HOME (or the password database's entry when it is unset); the XDG
    // variables as set, empty when unset.
    std::string home;
    std::string configHome;
    std::string dataHome;
    std::string runtimeDir;
    // --portable.
    bool portableRequested = false;
    // What the program folder holds.
    bool preferencesBesideProgram = false;
    bool markerBesideProgram = false;
};

struct UserFolders {
    bool portable = true;
    // Why the folders are beside the program, for a message; empty in the
    // user folders.
    std::string portableReason;
    std::string config;      // VRPREFS.DAT, HSR.DAT
    std::string data;        // Defaults.preset; the parent of the folders below
    std::string presets;     // the user's presets: the Presets screen's folder
    std::string recordings;  // RECORD.DAT and its exports
    std::string models;      // amp models
    std::string cabinets;    // cabinet impulse responses
    std::string lock;        // the single-instance lock file's folder
};

// Every file beside the program; models and cabinets in folders there.
UserFolders PortableFolders(const std::string& programFolder);

UserFolders ChooseUserFolders(const FolderEnvironment& environment);

// Where the factory presets may be, first choice first: the installed tree
// beside bin/ (<prefix>/share/ampliro/presets, found from the program's own
// folder so that any prefix works), then a build folder's "factory-presets".
std::vector<std::string> FactoryPresetCandidates(const std::string& programFolder);
// The first candidate that is a folder; empty when none is.
std::string FindFactoryPresetFolder(const std::string& programFolder);

// The environment variables, the home folder and the program folder's files.
FolderEnvironment ReadFolderEnvironment(const std::string& programFolder, bool portableRequested);

// Makes the user folders that do not exist yet (with their parents); nothing
// in a portable copy, whose folder exists. One line for
// each that could not be made, naming it and the system's reason:
// "/home/x/.config/ampliro: Permission denied."
std::vector<std::string> MakeUserFolders(const UserFolders& folders);

// Copies the "*.preset" files of from into the user folders: "Defaults.preset"
// into data, the others into presets. A file already there is kept, the
// originals stay where they are. The names copied, sorted; a line for each
// copy that failed goes into problems.
std::vector<std::string> CopyPresetsOver(const std::string& from, const UserFolders& folders,
                                         std::vector<std::string>* problems);

}  // namespace ampliro
