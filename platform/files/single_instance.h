// One running copy per program: a lock on a file (in the program folder, or
// in the folder the caller names: the user's runtime folder when installed). A
// second copy finds the lock held, asks the first copy to come to the front
// and gives up.
#pragma once

#include <string>

namespace ampliro {

class SingleInstance {
  public:
    // lockName is the file name inside the program folder.
    explicit SingleInstance(std::string lockName);
    // lockName inside folder.
    SingleInstance(const std::string& folder, const std::string& lockName);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when this copy now holds the lock; false when another copy holds
    // it, which has then been asked to come to the front.
    bool Acquire();
    void Release();
    const std::string& LockPath() const { return path_; }

  private:
    std::string path_;
    int fd_ = -1;
};

// True once after another copy asked this one to come to the front.
bool TakeBringToFrontRequest();

// The folder of the running executable.
std::string ExecutableFolder();

}  // namespace ampliro
