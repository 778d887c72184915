#include "tests/window/xvfb_server.h"

#include <csignal>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quarnel::testing {

XvfbServer::XvfbServer() {
    int ready[2];
    if (::pipe2(ready, O_CLOEXEC) != 0) {
        return;
    }
    pid_ = ::fork();
    if (pid_ == 0) {
        // Gone with the process that started it, however that ends.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        const int quiet = ::open("/dev/null", O_WRONLY);
        ::dup2(quiet, STDOUT_FILENO);
        ::dup2(quiet, STDERR_FILENO);
        ::dup2(ready[1], 3);
        ::fcntl(3, F_SETFD, 0);  // kept through exec, unlike the pipe's own descriptors
        // Xvfb picks a free display itself and writes its number once it takes connections.
        ::execlp("Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                 static_cast<char*>(nullptr));
        ::_exit(127);
    }
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
