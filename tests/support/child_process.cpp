#include "tests/support/child_process.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

extern char** environ;

namespace quarnel::testing {
namespace {

// A file that is gone from the folder as soon as it is open.
int anonymousFile() {
    char name[] = "/tmp/quarnel-child-XXXXXX";
    const int fd = ::mkstemp(name);
    if (fd < 0) {
        throw std::runtime_error("no temporary file");
    }
    ::unlink(name);
    return fd;
}

std::string readAll(int fd) {
    std::string bytes;
    ::lseek(fd, 0, SEEK_SET);
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) {
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return bytes;
}

}  // namespace

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const std::vector<std::string>& environment, const std::string& input) {
    const int in = anonymousFile();
    const int out = anonymousFile();
    const int err = anonymousFile();
    if (::write(in, input.data(), input.size()) != static_cast<ssize_t>(input.size())) {
        throw std::runtime_error("cannot stage the child's input");
    }
    ::lseek(in, 0, SEEK_SET);

    // The given entries replace inherited ones of the same name.
    std::vector<std::string> env = environment;
    const auto overridden = [&](const std::string& entry) {
        const std::string name = entry.substr(0, entry.find('=') + 1);
        for (const std::string& given : environment) {
            if (given.compare(0, name.size(), name) == 0) {
                return true;
            }
        }
        return false;
    };
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (!overridden(*entry)) {
            env.emplace_back(*entry);
        }
    }
    std::vector<char*> envp;
    for (auto& entry : env) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);
    std::vector<std::string> args{program};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

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
    ProcessResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.peakRssKiB = usage.ru_maxrss;
    result.out = readAll(out);
    result.err = readAll(err);
    return result;
}

}  // namespace quarnel::testing
