#pragma once

#include "base/results.h"

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel {

// The rules every run used before profiles were recorded, and the default everywhere.
inline constexpr std::string_view kClassicProfile = "classic";

// Where a run was started from.
enum class RunOrigin { Window, Cli };

// One request of a run: the profile's name for the page, and which way it came
// ("curl", "browser", or libcurl standing in for a browser engine that is not there).
struct ServedRequest {
    std::string page;
    std::string servedBy;

    bool operator==(const ServedRequest&) const = default;
};

// One query run of one domain.
struct RunRecord {
    std::chrono::sys_seconds startedAt{};  // UTC
    std::chrono::milliseconds duration{0};
    std::string domain;  // exactly as typed
    RunOrigin origin = RunOrigin::Cli;
    int fetchFailures = 0;
    RunResults results;
    std::string profile{kClassicProfile};  // the rule set the run used
    int blockedPages = 0;             // answers that were a verification page or a stub
    // Why each result has no value, where the run could tell (empty where it has one).
    std::array<std::string, kResultCount> reasons{};
    // Why the domain was not queried at all, for a watch pass that stopped before it
    // ("blocked": an answer was blocked even after the rest); empty for a run that was made.
    std::string notQueried{};
    std::vector<ServedRequest> requests{};  // in the order they were made

    bool operator==(const RunRecord&) const = default;
};

// What a watch pass is stopped by before it reaches the domains after a blocked one.
inline constexpr const char* kNotQueriedBlocked = "blocked";
// What a table shows in place of the values of such a run.
inline constexpr const char* kNotQueriedShown = "未查询";

// Whether the run got an answer to read from every service it asked: it was made, no
// fetch failed, and no answer that stood was a verification page or a stub. Only such a
// run is compared with, and only such runs make a batch end with status 0.
inline bool reachedEveryService(const RunRecord& run) {
    return run.notQueried.empty() && run.fetchFailures == 0 && run.blockedPages == 0;
}

// The results of one run as the command line prints them and the window copies them:
// the domain's address, then each result under the window's heading (查询中. where no
// check wrote it), then the count of failed fetches when there were any.
std::string formatTextBlock(const RunRecord& run);

// The time "now", for anything that measures back from it (trend windows, run starts).
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::chrono::sys_seconds now() const = 0;
};

class SystemClock final : public Clock {
public:
    std::chrono::sys_seconds now() const override {
        return std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
    }
};

}  // namespace quarnel
