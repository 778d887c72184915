#include "watch/run_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace quarnel::watch {

RunLock::RunLock(const std::filesystem::path& lockFile, Wait wait) {
    fd_ = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) {
        return;
    }
    int locked = 0;
    while ((locked = ::flock(fd_, wait == Wait::Yes ? LOCK_EX : LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    if (locked == 0) {
        state_ = State::Held;
    } else if (errno == EWOULDBLOCK) {
        state_ = State::Busy;
    }
}

RunLock::~RunLock() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

std::filesystem::path runLockPath(const std::filesystem::path& watchList) {
    std::filesystem::path lockFile = watchList;
    return lockFile += ".lock";
}

std::filesystem::path editLockPath(const std::filesystem::path& watchList) {
    std::filesystem::path lockFile = watchList;
    return lockFile += ".edit.lock";
}

}  // namespace quarnel::watch
