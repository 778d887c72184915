#include "watch/value_changes.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace quarnel::watch {
namespace {

// A count that moves by no more than this share of its old value is noise.
constexpr double kCountMoveWorthTelling = 0.10;
constexpr const char* kNothing = "无";

using Caption = std::optional<std::string> history::RunResults::*;

struct WatchedValue {
    const char* heading;  // as the window heads it
    Caption caption;
    bool isCount;
};

constexpr std::array<WatchedValue, 7> kWatched = {{
    {"今日收录", &history::RunResults::day, true},
    {"一星期收录", &history::RunResults::week, true},
    {"一月收录", &history::RunResults::month, true},
    {"所有日收录", &history::RunResults::all, true},
    {"site:首页", &history::RunResults::homepage, false},
    {"网站PR", &history::RunResults::pagerank, false},
    {"PR是否劫持", &history::RunResults::hijack, false},
}};

std::string shown(const std::optional<std::string>& caption) {
    return caption && !caption->empty() ? *caption : kNothing;
}

struct Move {
    bool worthTelling = false;
    std::optional<std::string> percent;  // "-20.8%", for a count that moved between two numbers
};

// A count that appears or disappears is always worth telling, as is one that leaves zero.
Move countMove(const std::optional<std::string>& before, const std::optional<std::string>& after) {
    const auto old = before ? history::countValue(*before) : std::nullopt;
    const auto now = after ? history::countValue(*after) : std::nullopt;
    if (!old || !now) {
        return {old.has_value() != now.has_value(), std::nullopt};
    }
    const long long from = old.value_or(0);
    const long long to = now.value_or(0);
    if (from == to || from == 0) {
        return {from != to, std::nullopt};
    }
    const double share = static_cast<double>(to - from) / static_cast<double>(from);
    char percent[32];
    std::snprintf(percent, sizeof percent, "%+.1f%%", share * 100.0);
    return {std::abs(share) > kCountMoveWorthTelling, percent};
}

Move textMove(const std::optional<std::string>& before, const std::optional<std::string>& after) {
    return {shown(before) != shown(after), std::nullopt};
}

}  // namespace

std::vector<std::string> changeLines(const history::RunResults& before, const history::RunResults& after) {
    std::vector<std::string> lines;
    for (const WatchedValue& value : kWatched) {
        const auto& old = before.*value.caption;
        const auto& now = after.*value.caption;
        const Move move = value.isCount ? countMove(old, now) : textMove(old, now);
        if (move.worthTelling) {
            const std::string line = std::string(value.heading) + ' ' + shown(old) + " → " + shown(now);
            lines.push_back(move.percent ? line + " (" + *move.percent + ')' : line);
        }
    }
    return lines;
}

}  // namespace quarnel::watch
