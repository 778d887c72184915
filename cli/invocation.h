#pragma once

#include "cli/browser_program.h"
#include "history/history_store.h"
#include "query/waits.h"
#include "rules/profile_reader.h"

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>

namespace quarnel::cli {

// One run of the program: what main wires up, the options every command shares, and
// the command that the command line chose.
struct Invocation {
    const Clock& clock;
    std::ostream& out;
    std::ostream& err;
    std::istream& in;
    Waits& waits;        // the pauses and rests of a profile's pace
    PauseDraw& pauses;   // how long each pause is
    bool outIsTerminal = false;
    bool errIsTerminal = false;  // the wait in progress is shown there

    std::filesystem::path historyFile;  // the default until --history-file replaces it
    std::filesystem::path profileFolder;  // where the user's own profiles are
    std::string profile = "classic";      // --profile: a name or a path
    std::string key{};                    // for a service that wants one (QUARNEL_OPR_KEY)
    std::filesystem::path cookieFile{};   // for profiles that keep cookies
    BrowserProgram browser{};             // for pages a profile loads in a browser
    // Set by the command that the command line names; returns the exit status.
    std::function<int()> command{};
};

// Exit statuses every command keeps to.
inline constexpr int kExitFine = 0;
inline constexpr int kExitFetchFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitHistoryFailed = 3;

// The profile --profile names, or nothing after one line on standard error saying why.
std::optional<rules::LoadedProfile> loadChosenProfile(Invocation& invocation);

// The one line that tells a failure of the history database.
void tellHistoryError(Invocation& invocation, const std::string& reason);

}  // namespace quarnel::cli
