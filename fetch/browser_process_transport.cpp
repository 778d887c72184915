#include "fetch/browser_process_transport.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>

extern char** environ;

namespace quarnel {
namespace {

using Clock = std::chrono::steady_clock;

// A pipe whose ends are not 0, 1 or 2 (a parent started with those closed gets them from
// pipe()), and are closed in any program this one starts.
bool openPipe(std::array<int, 2>& ends) {
    if (::pipe2(ends.data(), O_CLOEXEC) != 0) {
        return false;
    }
    for (int& end : ends) {
        if (end <= STDERR_FILENO) {
            const int moved = ::fcntl(end, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
            ::close(end);
            end = moved;
        }
    }
    return ends[0] >= 0 && ends[1] >= 0;
}

void closeFd(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

// How long a helper whose output has closed is given to end, so that its exit status can be told.
constexpr std::chrono::milliseconds kEndingMoment{1000};

std::string howItEnded(int status) {
    if (WIFSIGNALED(status)) {
        return "quarnel-browser was ended by signal " + std::to_string(WTERMSIG(status));
    }
    return "quarnel-browser ended with exit status " + std::to_string(WEXITSTATUS(status));
}

std::string seconds(std::chrono::milliseconds duration) {
    return std::to_string((duration.count() + 999) / 1000) + " s";
}

}  // namespace

BrowserProcessTransport::BrowserProcessTransport(std::filesystem::path program, std::vector<std::string> arguments,
                                                 HelperTimeouts timeouts)
    : program_(std::move(program)), arguments_(std::move(arguments)), timeouts_(timeouts) {}

BrowserProcessTransport::~BrowserProcessTransport() {
    stop(timeouts_.exit);
}

Expected<HttpReply> BrowserProcessTransport::fetch(const HttpRequest& request) {
    if (child_ < 0) {
        if (Expected<Done> started = start(); !started) {
            return Failure{started.reason()};
        }
    }
    if (Expected<Done> sent =
            browser_protocol::writeAll(toChild_, browser_protocol::framed(browser_protocol::requestMessage(request)));
        !sent) {
        const std::string reason = endedReason();
        stop({});
        return Failure{reason.empty() ? sent.reason() : reason};
    }
    Expected<std::string> message = receive(timeouts_.answer);
    if (!message) {
        stop({});
        return Failure{message.reason()};
    }
    std::optional<Expected<HttpReply>> reply = browser_protocol::readReply(*message);
    if (!reply) {
        stop({});  // a helper that says something else than a reply cannot be trusted with the next request
        return Failure{"quarnel-browser answered with something that is not a reply"};
    }
    return std::move(*reply);
}

Expected<Done> BrowserProcessTransport::start() {
    std::array<int, 2> request{-1, -1};
    std::array<int, 2> reply{-1, -1};
    if (!openPipe(request) || !openPipe(reply)) {
        for (int end : {request[0], request[1], reply[0], reply[1]}) {
            closeFd(end);
        }
        return Failure{std::string("cannot make a pipe for quarnel-browser: ") + std::strerror(errno)};
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The only descriptors it gets besides standard error: its input and its output.
    posix_spawn_file_actions_adddup2(&actions, request[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, reply[1], STDOUT_FILENO);
    std::vector<std::string> words{program_.string()};
    words.insert(words.end(), arguments_.begin(), arguments_.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, program_.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(request[0]);
    ::close(reply[1]);
    toChild_ = request[1];
    fromChild_ = reply[0];
    if (spawned != 0) {
        closeFd(toChild_);
        closeFd(fromChild_);
        return Failure{"cannot start " + program_.string() + ": " + std::strerror(spawned)};
    }
    child_ = pid;
    childFd_ = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    reader_ = {};
    if (childFd_ < 0) {
        const std::string reason = std::string("cannot watch quarnel-browser: ") + std::strerror(errno);
        stop({});
        return Failure{reason};
    }
    Expected<std::string> ready = receive(timeouts_.ready);
    if (!ready || !browser_protocol::isReady(*ready)) {
        const std::string reason = ready ? "quarnel-browser did not say it was ready" : ready.reason();
        stop({});
        return Failure{reason};
    }
    return Done{};
}

Expected<std::string> BrowserProcessTransport::receive(std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    for (;;) {
        if (std::optional<std::string> message = reader_.next()) {
            return std::move(*message);
        }
        if (reader_.broken()) {
            return Failure{"quarnel-browser sent a message larger than any reply"};
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd ready{.fd = fromChild_, .events = POLLIN, .revents = 0};
        const int polled = left.count() > 0 ? ::poll(&ready, 1, static_cast<int>(left.count())) : 0;
        if (polled < 0 && errno == EINTR) {
            continue;
        }
        if (polled == 0) {
            return Failure{"quarnel-browser gave no answer within " + seconds(limit)};
        }
        char buffer[65536];
        const ssize_t got = ::read(fromChild_, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            const std::string reason = endedReason();
            return Failure{reason.empty() ? "quarnel-browser closed its output" : reason};
        }
        reader_.add({buffer, static_cast<std::size_t>(got)});
    }
}

std::optional<std::string> BrowserProcessTransport::waitForEnd(std::chrono::milliseconds limit) {
    if (child_ <= 0) {
        return std::string();
    }
    // Its descriptor reads as ready once it has ended.
    pollfd ended{.fd = childFd_, .events = POLLIN, .revents = 0};
    const auto deadline = Clock::now() + limit;
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        const int polled = ::poll(&ended, 1, static_cast<int>(std::max<std::int64_t>(left.count(), 0)));
        if (polled < 0 && errno == EINTR) {
            continue;
        }
        if (polled <= 0) {
            return std::nullopt;
        }
        int status = 0;
        const pid_t waited = ::waitpid(child_, &status, WNOHANG);
        // No such child: the system reaped it already (SIGCHLD is ignored), and how it ended is lost.
        if (waited == child_ || (waited < 0 && errno == ECHILD)) {
            child_ = -1;
            closeFd(childFd_);
            return waited < 0 ? std::string() : howItEnded(status);
        }
        if (left.count() <= 0) {
            return std::nullopt;
        }
    }
}

std::string BrowserProcessTransport::endedReason() {
    // Its output closes as it ends: a moment's wait tells how it ended.
    return waitForEnd(kEndingMoment).value_or(std::string());
}

void BrowserProcessTransport::stop(std::chrono::milliseconds grace) {
    closeFd(toChild_);  // once its input has closed it ends
    if (child_ > 0 && !waitForEnd(grace)) {
        ::kill(child_, SIGKILL);
        int status = 0;
        while (::waitpid(child_, &status, 0) < 0 && errno == EINTR) {
        }
        child_ = -1;
    }
    closeFd(childFd_);
    closeFd(fromChild_);
}

}  // namespace quarnel
