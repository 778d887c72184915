#pragma once

#include "base/run_record.h"
#include "history/history_store.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace quarnel::testing {

// A run of the current rules, `daysAgo` before `now`, with the four counts and the
// PageRank as given (missing ones are no value), and `reason` for each that is empty.
inline RunRecord siteRun(std::chrono::sys_seconds now, const std::string& domain, int daysAgo,
                         std::vector<std::optional<std::string>> values, int fetchFailures = 0, int blocked = 0,
                         const std::string& reason = "") {
    values.resize(5);
    RunRecord run{.startedAt = now - std::chrono::days(daysAgo),
                  .domain = domain,
                  .fetchFailures = fetchFailures,
                  .results = RunResults({values[0], values[1], values[2], values[3], {}, {}, values[4], {}}),
                  .profile = "current",
                  .blockedPages = blocked};
    for (const ResultInfo& info : kResults) {
        if (!run.results[info.result] || run.results[info.result]->empty()) {
            run.reasons[static_cast<std::size_t>(info.result)] = reason;
        }
    }
    return run;
}

// The domain of each recorded run, oldest first; nothing when the history cannot be read.
inline std::vector<std::string> recordedDomains(const history::HistoryReader& history) {
    std::vector<std::string> domains;
    const Expected<std::vector<RunRecord>> runs = history.runs({});
    for (const RunRecord& run : runs ? *runs : std::vector<RunRecord>{}) {
        domains.push_back(run.domain);
    }
    return domains;
}

}  // namespace quarnel::testing
