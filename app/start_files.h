// What the program tells the user at start-up about its files: a preset asked
// for on the command line that cannot be used, folders that cannot be made,
// presets copied over from beside the program, a sound system asked for that
// does not answer.
#pragma once

#include <string>
#include <vector>

namespace ampliro {

inline constexpr const char* kPresetNotLoadedTitle = "Preset Not Loaded";
inline constexpr const char* kFoldersTitle = "Folders Not Made";
inline constexpr const char* kPresetsCopiedTitle = "Presets Copied";

// Why the file at path is no preset the program can load: the system's reason
// when it cannot be read ("No such file or directory"), or a damaged size;
// empty when it is a readable file of exactly a preset's length.
std::string PresetFileProblem(const std::string& path);

// The message for a --preset file that cannot be used.
std::string PresetNotLoadedText(const std::string& path, const std::string& problem);

// The message for the folders MakeUserFolders could not make.
std::string FolderProblemsText(const std::vector<std::string>& problems);

// The message after the first start copied presets from beside the program.
std::string PresetsCopiedText(const std::vector<std::string>& names, const std::string& from,
                              const std::string& to);

// The message when --backend named a sound system that does not answer;
// backend is "jack" or "pulse".
std::string BackendMissingText(const std::string& backend);

}  // namespace ampliro
