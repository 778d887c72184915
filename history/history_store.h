#pragma once

#include "base/expected.h"
#include "base/run_record.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace quarnel::history {

// What the query side records into when a run ends. A failure, here and in
// HistoryReader, names the database file and then says in the user's words what went
// wrong with it: "FILE: the disk is full".
class RunRecorder {
public:
    virtual ~RunRecorder() = default;
    virtual Expected<Done> record(const RunRecord& run) = 0;
};

// Which recorded runs to read; an empty domain list means every domain.
struct RunFilter {
    std::vector<std::string> domains;
    std::optional<std::chrono::sys_seconds> since;  // inclusive
    std::optional<std::chrono::sys_seconds> until;  // inclusive
};

// Of one recorded domain, what a table of all the user's sites shows.
struct DomainRuns {
    std::string domain;
    std::vector<RunRecord> recent;      // its last runs, oldest first: the latest is the last
    std::optional<RunRecord> compared;  // the last run before the latest that reached every service
};

// What the history window and the command line read.
class HistoryReader {
public:
    virtual ~HistoryReader() = default;
    // Every recorded domain, sorted.
    virtual Expected<std::vector<std::string>> domains() const = 0;
    // The matching runs, oldest first.
    virtual Expected<std::vector<RunRecord>> runs(const RunFilter& filter) const = 0;
    // Every recorded domain, sorted, with its last `recent` runs (at least the latest), and
    // the run it is compared with as reachedEveryService says.
    virtual Expected<std::vector<DomainRuns>> latestRuns(std::size_t recent) const = 0;
};

}  // namespace quarnel::history
