#include "watch/value_changes.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace quarnel::watch {
namespace {

// A count that moves by no more than this share of its old value is noise.
constexpr double kCountMoveWorthTelling = 0.10;
constexpr const char* kNothing = "无";

std::string shown(const std::optional<std::string>& caption) {
    return caption && !caption->empty() ? *caption : kNothing;
}

struct Move {
    bool worthTelling = false;
    std::optional<std::string> percent;  // "-20.8%", for a count that moved between two numbers
};

// A count that appears or disappears is always worth telling, as is one that leaves zero.
Move countMove(const std::optional<std::string>& before, const std::optional<std::string>& after) {
    const auto old = before ? countValue(*before) : std::nullopt;
    const auto now = after ? countValue(*after) : std::nullopt;
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

std::vector<std::string> changeLines(const RunResults& before, const RunResults& after) {
    std::vector<std::string> lines;
    for (const ResultInfo& info : kResults) {
        if (!info.watched) {
            continue;
        }
        const auto& old = before[info.result];
        const auto& now = after[info.result];
        const Move move = info.kind == ResultKind::Count ? countMove(old, now) : textMove(old, now);
        if (move.worthTelling) {
            const std::string line = std::string(info.caption) + ' ' + shown(old) + " → " + shown(now);
            lines.push_back(move.percent ? line + " (" + *move.percent + ')' : line);
        }
    }
    return lines;
}

}  // namespace quarnel::watch
