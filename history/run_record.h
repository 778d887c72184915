#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace quarnel::history {

// Where a run was started from.
enum class RunOrigin { Window, Cli };

// The eight results as a run left them: the text a check of this run wrote, nothing
// where no check wrote it (the label still reads 查询中.).
struct RunResults {
    std::optional<std::string> day;       // Label4
    std::optional<std::string> week;      // Label5
    std::optional<std::string> month;     // Label12
    std::optional<std::string> all;       // Label13
    std::optional<std::string> snapshot;  // Label11
    std::optional<std::string> homepage;  // Label9
    std::optional<std::string> pagerank;  // Label1
    std::optional<std::string> hijack;    // Label2
};

// One query run of one domain.
struct RunRecord {
    std::chrono::sys_seconds startedAt{};  // UTC
    std::chrono::milliseconds duration{0};
    std::string domain;  // exactly as typed
    RunOrigin origin = RunOrigin::Cli;
    int fetchFailures = 0;
    RunResults results;
};

// The number a count or PageRank caption stands for: "约1,234" and "1,234" are 1234;
// "" or anything that is not a count is nothing. The text stays the truth; the number
// is for charts and sorting.
std::optional<long long> countValue(std::string_view caption);

}  // namespace quarnel::history
