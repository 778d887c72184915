#include "watch/value_changes.h"

#include <gtest/gtest.h>

namespace quarnel::watch {
namespace {

struct ChangeCase {
    const char* name;
    RunResults before;
    RunResults after;
    std::vector<std::string> lines;
};

RunResults counts(std::optional<std::string> day, std::optional<std::string> all = "1,000") {
    return RunResults({std::move(day), "500", "500", std::move(all), {}, "首页第一", "3", "pr真实"});
}

RunResults with(RunResults results, Result result, std::optional<std::string> text) {
    results[result] = std::move(text);
    return results;
}

TEST(ValueChangesTest, OnlyMovesWorthTellingMakeALine) {
    const RunResults base = counts("120");
    const std::vector<ChangeCase> cases = {
        {"same", base, counts("120"), {}},
        {"ten per cent is noise", base, counts("108", "约1,100"), {}},
        {"a bigger fall", base, counts("95"), {"今日收录 120 → 95 (-20.8%)"}},
        {"a bigger rise", counts("1,000"), counts("约1,101"), {"今日收录 1,000 → 约1,101 (+10.1%)"}},
        {"to nothing", base, counts(std::nullopt, ""), {"今日收录 120 → 无", "所有日收录 1,000 → 无"}},
        {"from nothing and from zero", counts(std::nullopt, "0"), counts("3", "1"),
         {"今日收录 无 → 3", "所有日收录 0 → 1"}},
        {"home page lost", base, with(base, Result::HomePageVerdict, "不在第一"), {"site:首页 首页第一 → 不在第一"}},
        {"PageRank", base, with(base, Result::PageRank, "4"), {"网站PR 3 → 4"}},
        {"hijacked", base, with(base, Result::HijackVerdict, "可能是劫持thief.cn"),
         {"PR是否劫持 pr真实 → 可能是劫持thief.cn"}},
        {"snapshot date is not watched", base, with(base, Result::Snapshot, "2026-12-6"), {}},
        {"no answer and an empty one are both nothing",
         with(with(counts(std::nullopt, ""), Result::HomePageVerdict, ""), Result::PageRank, std::nullopt),
         with(with(counts("", std::nullopt), Result::HomePageVerdict, std::nullopt), Result::PageRank, ""), {}},
    };
    for (const ChangeCase& c : cases) {
        EXPECT_EQ(changeLines(c.before, c.after), c.lines) << c.name;
    }
}

}  // namespace
}  // namespace quarnel::watch
