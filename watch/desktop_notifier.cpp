#include "watch/desktop_notifier.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <string_view>

namespace quarnel::watch {
namespace {

bool hasDesktopSession(char** environment) {
    constexpr std::array<std::string_view, 3> kSessionVariables = {"DBUS_SESSION_BUS_ADDRESS=", "DISPLAY=",
                                                                   "WAYLAND_DISPLAY="};
    for (char** entry = environment; entry != nullptr && *entry != nullptr; ++entry) {
        const std::string_view variable = *entry;
        for (const std::string_view name : kSessionVariables) {
            if (variable.starts_with(name) && variable.size() > name.size()) {
                return true;
            }
        }
    }
    return false;
}

// Starts the program with its output going nowhere and waits for it; true when it
// exited with status 0. notify-send complains on standard error when no notification
// service answers, and under the timer that would reach the journal once per domain.
bool runQuietly(char** argv, char** environment) {
    posix_spawn_file_actions_t quiet;
    if (::posix_spawn_file_actions_init(&quiet) != 0) {
        return false;
    }
    pid_t child = 0;
    const bool started = ::posix_spawn_file_actions_addopen(&quiet, STDOUT_FILENO, "/dev/null", O_WRONLY, 0) == 0 &&
                         ::posix_spawn_file_actions_addopen(&quiet, STDERR_FILENO, "/dev/null", O_WRONLY, 0) == 0 &&
                         ::posix_spawnp(&child, argv[0], &quiet, nullptr, argv, environment) == 0;
    ::posix_spawn_file_actions_destroy(&quiet);
    if (!started) {
        return false;
    }
    // notify-send returns once the service took the notification, or gave up on it.
    int status = 0;
    pid_t waited = 0;
    while ((waited = ::waitpid(child, &status, 0)) < 0 && errno == EINTR) {
    }
    return waited == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

DesktopNotifier::DesktopNotifier(char** environment)
    : environment_(environment), desktopSession_(hasDesktopSession(environment)) {}

void DesktopNotifier::notify(const std::string& summary, const std::string& body) noexcept {
    if (!desktopSession_) {
        return;
    }
    // The summary carries a domain from the watch list: it goes to the program as an
    // argument of its own, after "--", and never through a shell.
    std::string program = "notify-send";
    std::string appName = "--app-name=Quarnel";
    std::string endOfOptions = "--";
    std::string summaryArgument = summary;
    std::string bodyArgument = body;
    std::array<char*, 6> argv = {program.data(),         appName.data(),      endOfOptions.data(),
                                 summaryArgument.data(), bodyArgument.data(), nullptr};
    if (!runQuietly(argv.data(), environment_)) {
        anySendFailed_ = true;
    }
}

}  // namespace quarnel::watch
