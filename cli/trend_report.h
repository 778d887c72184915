#pragma once

#include "base/run_record.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace quarnel::cli {

// How one count (or the PageRank) of a domain moved. Runs without a number for it
// are passed over, except in the sparkline, where they leave a gap.
struct TrendRow {
    std::string_view heading;
    std::optional<long long> last;           // the latest number
    std::optional<long long> sincePrevious;  // the latest minus the one before it
    std::optional<long long> over7Days;      // the latest minus the latest of 7 or more days ago
    std::optional<long long> over30Days;
    std::vector<std::optional<long long>> recent;  // of the last 30 runs, oldest first
};

// `runs` of one domain, oldest first.
std::vector<TrendRow> trendOf(const std::vector<RunRecord>& runs, std::chrono::sys_seconds now);

// ▁ for the smallest number, █ for the largest, a space where a run gave none;
// nothing when no run gave a number.
std::string sparkline(const std::vector<std::optional<long long>>& values);

// The rows under a heading line, aligned for a terminal; sparklines only when asked.
std::string formatTrend(const std::vector<TrendRow>& rows, bool withSparklines);

}  // namespace quarnel::cli
