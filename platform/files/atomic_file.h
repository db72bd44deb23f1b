// Replaces a file whole or not at all. The new contents go to a temporary
// file beside the target (same folder, so the same file system); Commit
// flushes them to the disk and renames the temporary over the target. A full
// disk, a failed write or a crash at any point therefore leaves either the old
// file or the new one, never a mix of the two and never an empty file.
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <string>

namespace ampliro {

class AtomicFile {
  public:
    explicit AtomicFile(std::string target);
    // An uncommitted temporary is closed and removed.
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary; null on failure (Error says why).
    std::FILE* Open();
    // Checks every write, flushes, syncs and renames. True when the target
    // holds everything written; false leaves the old target untouched.
    bool Commit();
    // The errno value of the first failure; 0 while none.
    int Error() const { return error_; }

  private:
    static ssize_t WriteToDisk(void* cookie, const char* data, size_t size);
    static int CloseOnDisk(void* cookie);
    void Discard();

    std::string target_;
    std::string temporary_;
    int fd_ = -1;
    std::FILE* file_ = nullptr;
    int error_ = 0;
};

// The system's text for an errno value ("No space left on device").
std::string ErrorText(int error);

}  // namespace ampliro
