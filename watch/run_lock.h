#pragma once

#include <filesystem>

namespace quarnel::watch {

// Keeps a second watch run of the same list from sending its requests between those
// of the first: an exclusive lock on a file beside the list, held while the object
// lives and let go by the system when the process ends, however it ends.
class RunLock {
public:
    enum class State { Held, Busy, Unavailable };

    // Tries once, without waiting.
    explicit RunLock(const std::filesystem::path& lockFile);
    ~RunLock();
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;

    State state() const { return state_; }

private:
    int fd_ = -1;
    State state_ = State::Unavailable;
};

// The lock file of a watch list.
std::filesystem::path runLockPath(const std::filesystem::path& watchList);

}  // namespace quarnel::watch
