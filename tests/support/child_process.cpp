#include "tests/support/child_process.h"

#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

extern char** environ;

namespace quarnel::testing {
namespace {

// A file in memory with no name, gone when its last descriptor closes.
int anonymousFile() {
    const int fd = ::memfd_create("quarnel-child", 0);
    if (fd < 0) {
        throw std::runtime_error("no anonymous file");
    }
    return fd;
}

std::string readAll(int fd) {
    std::string bytes;
    char buffer[4096];
    for (ssize_t n; (n = ::pread(fd, buffer, sizeof buffer, static_cast<off_t>(bytes.size()))) > 0;) {
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return bytes;
}

// The null-terminated array of C strings execve takes; `strings` must outlive it.
std::vector<char*> pointersTo(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& s : strings) {
        pointers.push_back(s.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const std::vector<std::string>& environment, const std::string& input) {
    const int in = anonymousFile();
    const int out = anonymousFile();
    const int err = anonymousFile();
    if (::pwrite(in, input.data(), input.size(), 0) != static_cast<ssize_t>(input.size())) {
        throw std::runtime_error("cannot stage the child's input");
    }

    // The given entries replace inherited ones of the same name.
    std::vector<std::string> env = environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string_view inherited(*entry);
        const std::string_view name = inherited.substr(0, inherited.find('=') + 1);
        if (std::ranges::none_of(environment, [&](const std::string& given) { return given.starts_with(name); })) {
            env.emplace_back(inherited);
        }
    }
    std::vector<std::string> args{program};
    args.insert(args.end(), arguments.begin(), arguments.end());
    const std::vector<char*> argv = pointersTo(args);
    const std::vector<char*> envp = pointersTo(env);

    // This process may run threads (a test's server), so between fork and exec the child
    // only makes system calls: anything taking a lock, malloc first, could wait for ever
    // on one another thread held at the fork. Everything it needs is prepared above.
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(in, STDIN_FILENO);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        ::execve(program.c_str(), argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(in);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    return {.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1,
            .out = readAll(out),
            .err = readAll(err),
            .peakRssKiB = usage.ru_maxrss,
            .cpuMilliseconds = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                               (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3};
}

}  // namespace quarnel::testing
