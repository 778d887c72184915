#include "shell/cli/domain_report.h"

#include <nlohmann/json.hpp>

namespace quarnel::cli {
namespace {

struct Column {
    const char* jsonKey;
    const char* heading;
    ResultLabel label;
};

constexpr std::array<Column, 8> kColumns = {{
    {"day", "今日收录", ResultLabel::Label4},
    {"week", "一星期收录", ResultLabel::Label5},
    {"month", "一月收录", ResultLabel::Label12},
    {"all", "所有日收录", ResultLabel::Label13},
    {"snapshot", "百度快照", ResultLabel::Label11},
    {"homepage", "site:首页", ResultLabel::Label9},
    {"pagerank", "网站PR", ResultLabel::Label1},
    {"hijack", "PR是否劫持", ResultLabel::Label2},
}};

}  // namespace

DomainReport reportOf(const std::string& domain, const MemoryControlModel& controls, int fetchFailures) {
    DomainReport report{domain, {}, fetchFailures};
    for (std::size_t i = 0; i < kColumns.size(); ++i) {
        const Column& column = kColumns[i];
        // The run's own reset is the first write; any later one came from a check.
        const bool written = controls.captionWrites(column.label) > 1;
        report.values[i] = {column.jsonKey, column.heading,
                            written ? std::optional(controls.caption(column.label)) : std::nullopt};
    }
    return report;
}

std::string formatJsonLine(const DomainReport& report) {
    nlohmann::ordered_json line;
    line["domain"] = report.domain;
    for (const auto& value : report.values) {
        line[value.jsonKey] = value.caption ? nlohmann::ordered_json(*value.caption) : nlohmann::ordered_json(nullptr);
    }
    line["fetch_failures"] = report.fetchFailures;
    return line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + '\n';
}

std::string formatTextBlock(const DomainReport& report) {
    std::string block = "http://" + report.domain + '\n';
    for (const auto& value : report.values) {
        block.append("  ").append(value.heading).append("：").append(value.caption.value_or(kQuerying)).append("\n");
    }
    if (report.fetchFailures > 0) {
        block.append("  无法连接服务器：").append(std::to_string(report.fetchFailures)).append("\n");
    }
    return block + '\n';
}

}  // namespace quarnel::cli
