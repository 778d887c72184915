#include "cli/trend_report.h"

#include "base/results.h"
#include "cli/terminal_text.h"

#include <algorithm>
#include <array>

namespace quarnel::cli {
namespace {

constexpr std::size_t kSparklineRuns = 30;
constexpr std::array<const char*, 8> kBars = {"▁", "▂", "▃", "▄", "▅", "▆", "▇", "█"};
constexpr std::size_t kHeadingColumns = 12;
constexpr std::size_t kNumberColumns = 12;

struct Point {
    std::chrono::sys_seconds at;
    long long value;
};

std::optional<long long> changeSince(const std::vector<Point>& points, std::chrono::sys_seconds before) {
    const auto later = std::find_if(points.rbegin(), points.rend(), [&](const Point& p) { return p.at <= before; });
    if (points.empty() || later == points.rend()) {
        return std::nullopt;
    }
    return points.back().value - later->value;
}

std::string shown(const std::optional<long long>& number, bool signed_) {
    if (!number) {
        return "n/a";
    }
    std::string text = std::to_string(*number);
    if (signed_ && *number > 0) {
        text.insert(0, 1, '+');
    }
    return text;
}

}  // namespace

std::vector<TrendRow> trendOf(const std::vector<RunRecord>& runs, std::chrono::sys_seconds now) {
    std::vector<TrendRow> rows;
    for (const ResultInfo& info : kResults) {
        if (!info.hasNumber()) {
            continue;
        }
        TrendRow row{info.caption, {}, {}, {}, {}, {}};
        std::vector<Point> points;
        const std::size_t firstRecent = runs.size() > kSparklineRuns ? runs.size() - kSparklineRuns : 0;
        for (std::size_t i = 0; i < runs.size(); ++i) {
            const auto& text = runs[i].results[info.result];
            const auto value = text ? countValue(*text) : std::nullopt;
            if (value) {
                points.push_back({runs[i].startedAt, *value});
            }
            if (i >= firstRecent) {
                row.recent.push_back(value);
            }
        }
        if (!points.empty()) {
            row.last = points.back().value;
        }
        if (points.size() > 1) {
            row.sincePrevious = points.back().value - points[points.size() - 2].value;
        }
        row.over7Days = changeSince(points, now - std::chrono::days(7));
        row.over30Days = changeSince(points, now - std::chrono::days(30));
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string sparkline(const std::vector<std::optional<long long>>& values) {
    long long low = 0, high = 0;
    bool any = false;
    for (const auto& value : values) {
        if (value) {
            low = any ? std::min(low, *value) : *value;
            high = any ? std::max(high, *value) : *value;
            any = true;
        }
    }
    std::string line;
    if (!any) {
        return line;
    }
    for (const auto& value : values) {
        if (!value) {
            line += ' ';
            continue;
        }
        const auto span = static_cast<double>(high - low);
        const auto step = span == 0 ? 0 : static_cast<std::size_t>((*value - low) / span * (kBars.size() - 1) + 0.5);
        line += kBars[step];
    }
    return line;
}

std::string formatTrend(const std::vector<TrendRow>& rows, bool withSparklines) {
    std::string text = padded("", kHeadingColumns, false);
    for (const char* title : {"last", "previous", "7 days", "30 days"}) {
        text += padded(title, kNumberColumns, true);
    }
    text += '\n';
    for (const TrendRow& row : rows) {
        text += padded(row.heading, kHeadingColumns, false) + padded(shown(row.last, false), kNumberColumns, true) +
                padded(shown(row.sincePrevious, true), kNumberColumns, true) +
                padded(shown(row.over7Days, true), kNumberColumns, true) +
                padded(shown(row.over30Days, true), kNumberColumns, true);
        if (const std::string line = withSparklines ? sparkline(row.recent) : ""; !line.empty()) {
            text += "  " + line;
        }
        text += '\n';
    }
    return text;
}

}  // namespace quarnel::cli
