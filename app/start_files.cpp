#include "app/start_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "app/settings/preset_file.h"

namespace ampliro {

std::string PresetFileProblem(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return std::strerror(errno);
    if (S_ISDIR(info.st_mode)) return std::strerror(EISDIR);
    if (::access(path.c_str(), R_OK) != 0) return std::strerror(errno);
    // Every field has a fixed place, so any other length is a damaged (or a
    // foreign) file whose words would land in the wrong settings.
    if (info.st_size != kPresetFileSize)
        return "it is " + std::to_string(info.st_size) + " bytes long, a preset " +
               std::to_string(kPresetFileSize);
    return {};
}

std::string PresetNotLoadedText(const std::string& path, const std::string& problem) {
    return "The preset '" + path + "' could not be loaded:\r" + problem +
           ".\r\rAmpliro starts with its last sound instead.";
}

std::string FolderProblemsText(const std::vector<std::string>& problems) {
    std::string text =
        "Ampliro could not make these folders, so what belongs in them cannot be "
        "saved:\r";
    for (const std::string& line : problems) text += "\r" + line;
    return text;
}

std::string PresetsCopiedText(const std::vector<std::string>& names, const std::string& from,
                              const std::string& to) {
    std::string list;
    for (const std::string& name : names) list += (list.empty() ? "" : ", ") + name;
    const bool one = names.size() == 1;
    const std::string count = one ? "1 preset" : std::to_string(names.size()) + " presets";
    return "Ampliro now keeps your presets in " + to + ".\r\r" + count + " found in " + from +
           (one ? " was" : " were") + " copied there (" + list +
           "); the originals are still where they were.";
}

std::string BackendMissingText(const std::string& backend) {
    const std::string name = backend == "jack" ? "JACK" : "PulseAudio";
    return "Ampliro was started with --backend " + backend + ", but no " + name +
           " server answers, so the audio cannot be switched on. Start " + name +
           " (or PipeWire's " + name +
           " service) and press 'On/Off' again, or start Ampliro "
           "without --backend.";
}

}  // namespace ampliro
