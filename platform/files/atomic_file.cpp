#include "platform/files/atomic_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace ampliro {

namespace {

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A hidden name that no pattern of the program's lists matches, unique per
// process and call: ".Defaults.preset.1234.7.tmp".
std::string TemporaryNameFor(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    return folder + "." + name + "." + std::to_string(::getpid()) + "." +
           std::to_string(counter.fetch_add(1)) + ".tmp";
}

// The rename itself is made durable by syncing the folder that holds both
// names. File systems that cannot sync a folder refuse with EINVAL; the
// rename has happened all the same, so that is no failure.
void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

AtomicFile::AtomicFile(std::string target) : target_(std::move(target)) {}

AtomicFile::~AtomicFile() {
    Discard();
}

// The stream writes through these two, so the errno of a failed write is
// kept: the C library's own streams only set their error flag.
ssize_t AtomicFile::WriteToDisk(void* cookie, const char* data, size_t size) {
    auto* self = static_cast<AtomicFile*>(cookie);
    size_t done = 0;
    while (done < size) {
        const ssize_t written = ::write(self->fd_, data + done, size - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            if (self->error_ == 0) self->error_ = written < 0 ? errno : EIO;
            return done > 0 ? static_cast<ssize_t>(done) : -1;
        }
        done += static_cast<size_t>(written);
    }
    return static_cast<ssize_t>(done);
}

int AtomicFile::CloseOnDisk(void* cookie) {
    auto* self = static_cast<AtomicFile*>(cookie);
    const int result = ::close(self->fd_);
    if (result != 0 && self->error_ == 0) self->error_ = errno;
    self->fd_ = -1;
    return result;
}

std::FILE* AtomicFile::Open() {
    Discard();
    error_ = 0;
    for (int attempt = 0; attempt < 8; ++attempt) {
        temporary_ = TemporaryNameFor(target_);
        // 0666 less the user's umask: the new file gets the permissions any
        // newly created file of the user would.
        fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0) {
            if (errno == EEXIST) continue;
            error_ = errno;
            temporary_.clear();
            return nullptr;
        }
        file_ = ::fopencookie(this, "wb",
                              cookie_io_functions_t{nullptr, &WriteToDisk, nullptr, &CloseOnDisk});
        if (!file_) {
            error_ = errno;
            Discard();
        }
        return file_;
    }
    error_ = EEXIST;
    temporary_.clear();
    return nullptr;
}

bool AtomicFile::Commit() {
    if (!file_) {
        if (error_ == 0) error_ = EBADF;
        return false;
    }
    if ((std::fflush(file_) != 0 || std::ferror(file_)) && error_ == 0) error_ = EIO;
    if (error_ == 0 && ::fsync(fd_) != 0) error_ = errno;
    std::fclose(file_);  // a failed close records its errno
    file_ = nullptr;
    if (error_ == 0 && std::rename(temporary_.c_str(), target_.c_str()) != 0) error_ = errno;
    if (error_ != 0) {
        Discard();
        return false;
    }
    temporary_.clear();
    SyncFolder(FolderOf(target_));
    return true;
}

void AtomicFile::Discard() {
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
    }
}

std::string ErrorText(int error) {
    char buffer[128];
    // The GNU strerror_r returns its text, which need not be in the buffer.
    return ::strerror_r(error, buffer, sizeof buffer);
}

}  // namespace ampliro
