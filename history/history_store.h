#pragma once

#include "base/run_record.h"

#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace quarnel::history {

// A failure of the history database, told in words fit for the user.
class HistoryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What the query side records into when a run ends.
class RunRecorder {
public:
    virtual ~RunRecorder() = default;
    // Throws HistoryError when the run could not be recorded.
    virtual void record(const RunRecord& run) = 0;
};

// Which recorded runs to read; an empty domain list means every domain.
struct RunFilter {
    std::vector<std::string> domains;
    std::optional<std::chrono::sys_seconds> since;  // inclusive
    std::optional<std::chrono::sys_seconds> until;  // inclusive
};

// What the history window and the command line read.
class HistoryReader {
public:
    virtual ~HistoryReader() = default;
    // Every recorded domain, sorted. Throws HistoryError.
    virtual std::vector<std::string> domains() const = 0;
    // The matching runs, oldest first. Throws HistoryError.
    virtual std::vector<RunRecord> runs(const RunFilter& filter) const = 0;
};

}  // namespace quarnel::history
