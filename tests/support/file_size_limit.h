#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>
#include <optional>

namespace quarnel::testing {

// Runs `save` in a child process whose files cannot grow past `bytes`, so a write fails
// part-way as on a full disk; the limit ends with the child. Gives what `save` returned,
// or nothing when the child did not get to return (a crash, an escaped exception).
inline std::optional<bool> saveWithFilesLimitedTo(rlim_t bytes, const std::function<bool()>& save) {
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);  // the write then fails with EFBIG instead of ending the child
        const rlimit limit{bytes, bytes};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(save() ? 0 : 1);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) > 1) {
        return std::nullopt;
    }
    return WEXITSTATUS(status) == 0;
}

}  // namespace quarnel::testing
