#include "platform/files/user_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace ampliro {
namespace {

namespace fs = std::filesystem;

constexpr const char* kDefaultsPreset = "Defaults.preset";
constexpr const char* kPreferencesFile = "VRPREFS.DAT";

bool Absolute(const std::string& path) {
    return !path.empty() && path[0] == '/';
}

std::string Join(const std::string& folder, const char* name) {
    if (folder.empty() || folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

// An XDG folder: the variable when it is an absolute path, else the default
// below the home folder; empty when neither is usable.
std::string BaseFolder(const std::string& variable, const std::string& home,
                       const char* defaultBelowHome) {
    if (Absolute(variable)) return variable;
    if (Absolute(home)) return Join(home, defaultBelowHome);
    return {};
}

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool IsFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

}  // namespace

UserFolders PortableFolders(const std::string& programFolder) {
    UserFolders folders;
    folders.portable = true;
    folders.config = programFolder;
    folders.data = programFolder;
    folders.presets = programFolder;
    folders.recordings = programFolder;
    folders.models = Join(programFolder, "models");
    folders.cabinets = Join(programFolder, "cabinets");
    folders.lock = programFolder;
    return folders;
}

UserFolders ChooseUserFolders(const FolderEnvironment& environment) {
    const char* reason = nullptr;
    if (environment.portableRequested)
        reason = "--portable was given";
    else if (environment.markerBesideProgram)
        reason = "a file named \"portable\" is beside the program";
    else if (environment.preferencesBesideProgram)
        reason = "\"VRPREFS.DAT\" is beside the program";
    const std::string configHome = BaseFolder(environment.configHome, environment.home, ".config");
    const std::string dataHome = BaseFolder(environment.dataHome, environment.home, ".local/share");
    if (reason == nullptr && (configHome.empty() || dataHome.empty())) reason = kNoHomeReason;
    if (reason != nullptr) {
        UserFolders folders = PortableFolders(environment.programFolder);
        folders.portableReason = reason;
        return folders;
    }
    UserFolders folders;
    folders.portable = false;
    folders.config = Join(configHome, kFolderName);
    folders.data = Join(dataHome, kFolderName);
    folders.presets = Join(folders.data, "presets");
    folders.recordings = Join(folders.data, "recordings");
    folders.models = Join(folders.data, "models");
    folders.cabinets = Join(folders.data, "cabinets");
    folders.lock = Absolute(environment.runtimeDir) ? environment.runtimeDir : folders.config;
    return folders;
}

std::vector<std::string> FactoryPresetCandidates(const std::string& programFolder) {
    const std::string parent = fs::path(programFolder).parent_path().string();
    return {Join(parent, "share/ampliro/presets"), Join(programFolder, "factory-presets")};
}

std::string FindFactoryPresetFolder(const std::string& programFolder) {
    for (const std::string& candidate : FactoryPresetCandidates(programFolder)) {
        std::error_code error;
        if (fs::is_directory(candidate, error)) return candidate;
    }
    return {};
}

FolderEnvironment ReadFolderEnvironment(const std::string& programFolder, bool portableRequested) {
    FolderEnvironment environment;
    environment.programFolder = programFolder;
    environment.home = Variable("HOME");
    if (environment.home.empty()) {
        // A session without HOME (a service, env -i) still has an account.
        if (const passwd* account = getpwuid(getuid()); account && account->pw_dir)
            environment.home = account->pw_dir;
    }
    environment.configHome = Variable("XDG_CONFIG_HOME");
    environment.dataHome = Variable("XDG_DATA_HOME");
    environment.runtimeDir = Variable("XDG_RUNTIME_DIR");
    environment.portableRequested = portableRequested;
    environment.preferencesBesideProgram = IsFile(Join(programFolder, kPreferencesFile));
    // The marker may be an empty file or anything else of that name.
    std::error_code error;
    environment.markerBesideProgram = fs::exists(Join(programFolder, kPortableMarker), error);
    return environment;
}

std::vector<std::string> MakeUserFolders(const UserFolders& folders) {
    std::vector<std::string> problems;
    // A portable copy's folder is there already, and it stays as it always
    // was: no folders appear beside the program.
    if (folders.portable) return problems;
    const std::string wanted[] = {folders.config,     folders.data,   folders.presets,
                                  folders.recordings, folders.models, folders.cabinets};
    for (const std::string& folder : wanted) {
        if (folder.empty()) continue;
        std::error_code error;
        if (fs::is_directory(folder, error)) continue;
        // models/ and cabinets/ are made before anything needs them, so a
        // user looking for where to put such files finds the place.
        fs::create_directories(folder, error);
        if (error) problems.push_back(folder + ": " + error.message() + ".");
    }
    return problems;
}

std::vector<std::string> CopyPresetsOver(const std::string& from, const UserFolders& folders,
                                         std::vector<std::string>* problems) {
    std::vector<std::string> copied;
    std::error_code error;
    fs::directory_iterator it(from, fs::directory_options::skip_permission_denied, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.size() <= 7 || name.compare(name.size() - 7, 7, ".preset") != 0) continue;
        if (name[0] == '.' || !IsFile(it->path())) continue;
        const std::string target =
            Join(name == kDefaultsPreset ? folders.data : folders.presets, name.c_str());
        std::error_code copyError;
        // Never over a file of the user's: skip_existing leaves it.
        if (fs::copy_file(it->path(), target, fs::copy_options::skip_existing, copyError)) {
            copied.push_back(name);
        } else if (copyError && problems) {
            problems->push_back(name + ": " + copyError.message() + ".");
        }
    }
    std::sort(copied.begin(), copied.end());
    return copied;
}

}  // namespace ampliro
