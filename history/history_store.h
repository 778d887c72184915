#pragma once

#include "base/expected.h"
#include "base/run_record.h"

#include <array>
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

// The number each result of a run stands for (countValue), in the table's order.
using ResultNumbers = std::array<std::optional<long long>, kResultCount>;
ResultNumbers numbersOf(const RunResults& results);

// Of one domain, what a table of all the user's sites shows.
struct DomainRuns {
    std::string domain;
    std::optional<RunRecord> latest;    // nothing only for a domain never queried
    std::optional<RunRecord> compared;  // the last run before the latest that reached every service
    std::vector<ResultNumbers> recent;  // of its last runs, oldest first: the latest is the last
};

// What the history window and the command line read.
class HistoryReader {
public:
    virtual ~HistoryReader() = default;
    // Every recorded domain, sorted.
    virtual Expected<std::vector<std::string>> domains() const = 0;
    // The matching runs, oldest first.
    virtual Expected<std::vector<RunRecord>> runs(const RunFilter& filter) const = 0;
    // Every recorded domain, sorted, or only `domain`, with the numbers of its last
    // `recent` runs (at least the latest), and the run it is compared with as
    // reachedEveryService says.
    virtual Expected<std::vector<DomainRuns>> latestRuns(std::size_t recent,
                                                        const std::optional<std::string>& domain) const = 0;
};

}  // namespace quarnel::history
