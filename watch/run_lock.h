#pragma once

#include <filesystem>

namespace quarnel::watch {

// An exclusive lock on a file beside the watch list, held while the object lives and
// let go by the system when the process ends, however it ends. A watch pass tries its
// lock once and leaves when another pass holds it, so that a second pass never sends
// its requests between those of the first; an edit of the list waits for its own lock,
// so that two edits at once both land.
class RunLock {
public:
    enum class State { Held, Busy, Unavailable };
    enum class Wait { No, Yes };

    RunLock(const std::filesystem::path& lockFile, Wait wait);
    ~RunLock();
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;

    State state() const { return state_; }

private:
    int fd_ = -1;
    State state_ = State::Unavailable;
};

// The lock file of the passes over a watch list.
std::filesystem::path runLockPath(const std::filesystem::path& watchList);

// The lock file of the edits of a watch list (apart from the passes' one: an edit
// should not wait out a pass of many minutes).
std::filesystem::path editLockPath(const std::filesystem::path& watchList);

}  // namespace quarnel::watch
