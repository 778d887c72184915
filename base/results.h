#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace quarnel {

// The eight results of a query run, named by what they mean.
enum class Result { DayCount, WeekCount, MonthCount, AllTimeCount, Snapshot, HomePageVerdict, PageRank, HijackVerdict };
inline constexpr std::size_t kResultCount = 8;

// A count and a rank also stand for a number (for charts, sorting and change lines).
enum class ResultKind { Count, Rank, Text };

struct ResultInfo {
    Result result;
    std::string_view key;      // in JSON, CSV and the history's columns
    std::string_view caption;  // the window's heading for it
    ResultKind kind;
    // Whether a watch pass tells its changes: the snapshot date moves with every crawl.
    bool watched;

    bool hasNumber() const { return kind != ResultKind::Text; }
};

// Every place that lists the results reads this table, in this order: the window's
// columns left to right, then its PageRank row. Which label shows each is the window's
// business (controls/control_model.h).
inline constexpr std::array<ResultInfo, kResultCount> kResults = {{
    {Result::DayCount, "day", "今日收录", ResultKind::Count, true},
    {Result::WeekCount, "week", "一星期收录", ResultKind::Count, true},
    {Result::MonthCount, "month", "一月收录", ResultKind::Count, true},
    {Result::AllTimeCount, "all", "所有日收录", ResultKind::Count, true},
    {Result::Snapshot, "snapshot", "百度快照", ResultKind::Text, false},
    {Result::HomePageVerdict, "homepage", "site:首页", ResultKind::Text, true},
    {Result::PageRank, "pagerank", "网站PR", ResultKind::Rank, true},
    {Result::HijackVerdict, "hijack", "PR是否劫持", ResultKind::Text, true},
}};

constexpr const ResultInfo& infoOf(Result result) { return kResults[static_cast<std::size_t>(result)]; }

// What a result's label reads from the start of a run until its check writes it.
inline constexpr const char* kQuerying = "查询中.";

// The eight results as a run left them: the text a check of this run wrote, nothing
// where no check wrote it.
class RunResults {
public:
    RunResults() = default;
    // In the table's order.
    explicit RunResults(std::array<std::optional<std::string>, kResultCount> values) : values_(std::move(values)) {}

    std::optional<std::string>& operator[](Result result) { return values_[static_cast<std::size_t>(result)]; }
    const std::optional<std::string>& operator[](Result result) const {
        return values_[static_cast<std::size_t>(result)];
    }
    bool operator==(const RunResults&) const = default;

private:
    std::array<std::optional<std::string>, kResultCount> values_;
};

// The number a count or PageRank caption stands for: "约1,234" and "1,234" are 1234;
// "" or anything that is not a count is nothing. The text stays the truth; the number
// is for charts and sorting.
std::optional<long long> countValue(std::string_view caption);

}  // namespace quarnel
