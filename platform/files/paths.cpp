#include "platform/files/paths.h"

#include <sys/statvfs.h>
#include <unistd.h>

#include <cstring>
#include <string>

namespace ampliro {

bool PathBeside(const char* file, const char* name, char* out, size_t capacity) {
    if (out == nullptr || capacity == 0) return false;
    out[0] = '\0';
    if (file == nullptr) file = "";
    if (name == nullptr) name = "";
    const char* slash = std::strrchr(file, '/');
    const size_t folder = slash != nullptr ? static_cast<size_t>(slash - file) : 0;
    const size_t length = std::strlen(name);
    // The folder, one "/", the name and the terminator.
    if (folder + 1 + length + 1 > capacity) return false;
    std::memcpy(out, file, folder);
    out[folder] = '/';
    std::memcpy(out + folder + 1, name, length);
    out[folder + 1 + length] = '\0';
    return true;
}

namespace {

// A program file standing in the folder that SetProgramFolder chose; empty:
// the real executable.
std::string gStandIn;

}  // namespace

void SetProgramFolder(const char* folder) {
    gStandIn = folder ? std::string(folder) + "/program" : std::string();
}

const char* ProgramPath(const char* name) {
    static char path[kProgramPathSize];
    char program[4096];
    if (!gStandIn.empty()) {
        PathBeside(gStandIn.c_str(), name, path, sizeof path);
        return path;
    }
    const ssize_t length = readlink("/proc/self/exe", program, sizeof program - 1);
    if (length <= 0) {
        // Without the executable's path the working folder stands in.
        std::strcpy(program, "./program");
    } else {
        program[length] = '\0';
    }
    PathBeside(program, name, path, sizeof path);
    return path;
}

int ReplaceExtension(char* path, size_t capacity, const char* extension) {
    if (path == nullptr || extension == nullptr) return 0;
    const size_t length = strnlen(path, capacity);
    if (length == capacity) return 0;
    // Only a dot in the file name itself starts an extension, not one in a
    // folder name ("songs.old/riff" becomes "songs.old/riff.preset").
    const char* slash = std::strrchr(path, '/');
    const char* name = slash != nullptr ? slash + 1 : path;
    const char* dot = std::strrchr(name, '.');
    const size_t keep = dot != nullptr ? static_cast<size_t>(dot - path) : length;
    const size_t added = std::strlen(extension);
    if (keep + added + 1 > capacity) return 0;
    std::memcpy(path + keep, extension, added + 1);
    return 1;
}

uint32_t Kilobytes(uint64_t bytes) {
    const uint64_t kilobytes = bytes >> 10;
    return kilobytes > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(kilobytes);
}

int DiskSpace(const char* folder, uint32_t* totalKb, uint32_t* freeKb) {
    uint32_t total = 0;
    uint32_t free = 0;
    struct statvfs info {};
    const bool ok = folder != nullptr && statvfs(folder, &info) == 0;
    if (ok) {
        total = Kilobytes(static_cast<uint64_t>(info.f_blocks) * info.f_frsize);
        free = Kilobytes(static_cast<uint64_t>(info.f_bfree) * info.f_frsize);
    }
    if (totalKb != nullptr) *totalKb = total;
    if (freeKb != nullptr) *freeKb = free;
    return ok ? 1 : 0;
}

}  // namespace ampliro
