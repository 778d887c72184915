#include "history/history_path.h"
#include "base/memory_release.h"
#include "base/run_record.h"
#include "cli/command_line.h"
#include "rules/profile_reader.h"
#include "base/user_folders.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <iostream>
#include <thread>

namespace {

// The Open PageRank key: QUARNEL_OPR_KEY, else the one the window's settings keep in
// quarnel.conf (the line opr_key=KEY). Never taken from the command line, where other
// users could read it.
std::string serviceKey(const char* variable, const char* xdgConfigHome, const char* home) {
    if (variable != nullptr && *variable != '\0') {
        return variable;
    }
    const std::filesystem::path folder = quarnel::userFolder(xdgConfigHome, home, ".config");
    std::ifstream settings(folder / "Quarnel" / "quarnel.conf");
    constexpr std::string_view kKey = "opr_key=";
    for (std::string line; std::getline(settings, line);) {
        if (line.starts_with(kKey)) {
            return line.substr(kKey.size());
        }
    }
    return {};
}

// A pause or a rest as the command line takes it: the whole program waits.
class SleepingWaits final : public quarnel::Waits {
public:
    void wait(const quarnel::Wait& wait) override { std::this_thread::sleep_for(wait.length); }
};

// The folder this program was started from; quarnel-browser is found from it.
std::filesystem::path ownFolder() {
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
}

}  // namespace

int main(int argc, char** argv) {
    using namespace quarnel;
    returnLargeBlocksToTheSystem();
    const SystemClock clock;
    SleepingWaits waits;
    RandomPauseDraw pauses;
    cli::Invocation invocation{
        .clock = clock,
        .out = std::cout,
        .err = std::cerr,
        .in = std::cin,
        .waits = waits,
        .pauses = pauses,
        .outIsTerminal = ::isatty(STDOUT_FILENO) == 1,
        .errIsTerminal = ::isatty(STDERR_FILENO) == 1,
        .historyFile = history::historyPath(std::getenv("XDG_DATA_HOME"), std::getenv("HOME")),
        .profileFolder = rules::userProfileFolder(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME")),
        .profile = "classic",
        .key = serviceKey(std::getenv("QUARNEL_OPR_KEY"), std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME")),
        .cookieFile = cookieFilePath(std::getenv("XDG_STATE_HOME"), std::getenv("HOME")),
        .browser = cli::findBrowserProgram(std::getenv("QUARNEL_BROWSER"), ownFolder()),
        .command = {},
    };
    return cli::runCommandLine(std::vector<std::string>(argv + 1, argv + argc), invocation);
}
