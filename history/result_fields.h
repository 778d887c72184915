#pragma once

#include "history/run_record.h"

#include <array>
#include <optional>
#include <string>

namespace quarnel::history {

// One of the eight results: its key in JSON and CSV, the window's heading for it,
// and whether it is a count (or the PageRank) that also has a number.
struct ResultField {
    const char* key;
    const char* heading;
    std::optional<std::string> RunResults::*text;
    bool numeric;
};

// In the order the command line has always printed them.
inline constexpr std::array<ResultField, 8> kResultFields = {{
    {"day", "今日收录", &RunResults::day, true},
    {"week", "一星期收录", &RunResults::week, true},
    {"month", "一月收录", &RunResults::month, true},
    {"all", "所有日收录", &RunResults::all, true},
    {"snapshot", "百度快照", &RunResults::snapshot, false},
    {"homepage", "site:首页", &RunResults::homepage, false},
    {"pagerank", "网站PR", &RunResults::pagerank, true},
    {"hijack", "PR是否劫持", &RunResults::hijack, false},
}};

}  // namespace quarnel::history
