#include "watch/desktop_notifier.h"

#include <spawn.h>
#include <sys/wait.h>

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
    pid_t child = 0;
    if (::posix_spawnp(&child, program.c_str(), nullptr, nullptr, argv.data(), environment_) != 0) {
        return;
    }
    // notify-send returns once the service took the notification, or gave up on it.
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace quarnel::watch
