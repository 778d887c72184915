#include "tests/window/xvfb_server.h"

#include <csignal>
#include <cstdlib>
#include <sstream>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quarnel::testing {

namespace {

// The program's path as the shell would find it on PATH; empty when it is not there.
std::string onPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const std::string candidate = (folder.empty() ? "." : folder) + "/" + program;
        if (::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return {};
}

}  // namespace

XvfbServer::XvfbServer() {
    const std::string xvfb = onPath("Xvfb");
    const int quiet = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    int ready[2];
    if (xvfb.empty() || quiet < 0 || ::pipe2(ready, O_CLOEXEC) != 0) {
        if (quiet >= 0) {
            ::close(quiet);
        }
        return;
    }
    // The calling process may run threads, so the child only makes system calls until
    // it execs: anything that takes a lock (malloc, the PATH search) could wait for ever
    // on one another thread held at the fork.
    pid_ = ::fork();
    if (pid_ == 0) {
        // Gone with the process that started it, however that ends.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        ::dup2(quiet, STDOUT_FILENO);
        ::dup2(quiet, STDERR_FILENO);
        ::dup2(ready[1], 3);
        ::fcntl(3, F_SETFD, 0);  // kept through exec, unlike the pipe's own descriptors
        // Xvfb picks a free display itself and writes its number once it takes connections.
        ::execl(xvfb.c_str(), "Xvfb", "-displayfd", "3", "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(quiet);
    ::close(ready[1]);
    std::string number;
    char ch = 0;
    while (pid_ > 0 && ::read(ready[0], &ch, 1) == 1 && ch != '\n') {
        number.push_back(ch);
    }
    ::close(ready[0]);
    if (!number.empty()) {
        display_ = ":" + number;
    }
}

XvfbServer::~XvfbServer() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
}

}  // namespace quarnel::testing
