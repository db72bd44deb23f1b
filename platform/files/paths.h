// Paths: every data file lives in the program's own folder; extension
// replacement; the free space of a file system. "/" separates folders.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ampliro {

// Longest path ProgramPath returns, terminator included.
inline constexpr size_t kProgramPathSize = 260;

// The full path of name in the folder of the running executable, in one
// static buffer that the next call overwrites. A path that would not fit
// comes back empty, so that it names no file rather than a wrong one.
const char* ProgramPath(const char* name);

// Puts the program folder elsewhere (a test's temporary folder); null puts it
// back beside the executable.
void SetProgramFolder(const char* folder);

// The rule behind ProgramPath: file's folder (without its last "/"), a "/",
// then name. False, with out empty, when it does not fit in capacity bytes.
bool PathBeside(const char* file, const char* name, char* out, size_t capacity);

// Replaces the extension of the last path component (from its last "." on)
// by extension, dot included, or appends it when there is none. 1, or 0 with
// the path unchanged when the result would not fit in capacity bytes.
int ReplaceExtension(char* path, size_t capacity, const char* extension);
template <size_t N>
int ReplaceExtension(char (&path)[N], const char* extension) {
    return ReplaceExtension(path, N, extension);
}

// Size and free space of the file system holding folder, in kilobytes. Free
// counts every free block, also those reserved for the administrator. 1 on
// success, else 0 with both set to 0.
int DiskSpace(const char* folder, uint32_t* totalKb, uint32_t* freeKb);

// bytes / 1024 as 32 bits, held at the largest value for more than 4 TiB.
uint32_t Kilobytes(uint64_t bytes);

}  // namespace ampliro
