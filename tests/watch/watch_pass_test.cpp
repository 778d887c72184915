#include "history/sqlite_history.h"
#include "watch/watch_pass.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <sstream>

namespace quarnel::watch {
namespace {

// Gives the scripted run of the domain, as if it had just been queried, and notes where
// in the batch each query was.
struct ScriptedSite final : SiteQuery {
    std::map<std::string, RunRecord> runs;
    std::vector<std::string> places;
    RunRecord query(const BatchPlace& place) override {
        places.push_back(std::to_string(place.number) + '/' + std::to_string(place.total) + ' ' + place.domain);
        return runs.at(place.domain);
    }
};

struct CountingNotifier final : Notifier {
    void notify(const std::string& summary, const std::string& body) noexcept override {
        sent.push_back(summary + " | " + body);
    }
    std::vector<std::string> sent;
};

RunRecord runOn(int day, std::optional<std::string> dayCount, int fetchFailures = 0, int blockedPages = 0) {
    return {.startedAt = std::chrono::sys_days{std::chrono::December / day / 2026},
            .domain = "example.com",
            .fetchFailures = fetchFailures,
            .results = RunResults({std::move(dayCount)}),
            .profile = "current",
            .blockedPages = blockedPages};
}

RunRecord notQueriedOn(int day, std::string domain = "example.com") {
    RunRecord run = runOn(day, std::nullopt);
    run.domain = std::move(domain);
    run.notQueried = kNotQueriedBlocked;
    return run;
}

struct PassCase {
    const char* name;
    std::vector<RunRecord> recorded;  // before the pass
    RunRecord now;
    std::string printed;  // and notified, when there is any
    bool everyServiceReached = true;
};

TEST(WatchPassTest, TellsWhatChangedSinceTheLastRunThatReachedEveryService) {
    const std::vector<PassCase> cases = {
        {"first run", {}, runOn(2, "120"), ""},
        {"nothing changed", {runOn(1, "120")}, runOn(2, "120"), ""},
        {"a fall", {runOn(1, "120")}, runOn(2, "95"), "example.com 今日收录 120 → 95 (-20.8%)\n"},
        {"a later run that missed a service is passed over", {runOn(1, "120"), runOn(2, std::nullopt, 3)},
         runOn(3, "120"), ""},
        {"a run that missed a service is compared with nothing", {runOn(1, "120")}, runOn(2, std::nullopt, 3), "", false},
        {"a later blocked run is passed over", {runOn(1, "120"), runOn(2, std::nullopt, 0, 1)}, runOn(3, "120"), ""},
        {"a later run of a domain not reached is passed over", {runOn(1, "120"), notQueriedOn(2)}, runOn(3, "120"), ""},
        {"a blocked run is compared with nothing", {runOn(1, "120")}, runOn(2, std::nullopt, 0, 1), "", false},
    };
    const auto folder = std::filesystem::temp_directory_path() / ("watch-pass-" + std::to_string(getpid()));
    for (const PassCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(folder);
        history::SqliteHistory history(folder / "history.sqlite3");
        for (const RunRecord& run : c.recorded) {
            ASSERT_TRUE(history.record(run).ok());
        }
        ScriptedSite site;
        site.runs["example.com"] = c.now;
        CountingNotifier notifier;
        std::ostringstream out, err;

        const WatchOutcome outcome = WatchPass(site, history, history, notifier, out, err).run({"example.com"});

        EXPECT_EQ(out.str(), c.printed);
        // A blocked run is told in a notification of its own.
        EXPECT_EQ(notifier.sent.size(), (c.printed.empty() ? 0u : 1u) + (c.now.blockedPages > 0 ? 1u : 0u));
        EXPECT_EQ(outcome.everyServiceReached, c.everyServiceReached);
        EXPECT_TRUE(outcome.everyRunRecorded);
        EXPECT_EQ(history.runs({})->size(), c.recorded.size() + 1);
    }
    std::filesystem::remove_all(folder);
}

// A pass that stopped at a blocked answer: one notification for the blocked domain and
// the ones after it, each of which is named and recorded as not queried. The classic
// rules' window has no verification to pass, so their blocked runs are not notified.
TEST(WatchPassTest, ABlockedPassNotifiesOnceAndRecordsTheDomainsItDidNotReach) {
    const auto folder = std::filesystem::temp_directory_path() / ("watch-pass-blocked-" + std::to_string(getpid()));
    std::filesystem::remove_all(folder);
    history::SqliteHistory history(folder / "history.sqlite3");
    ScriptedSite site;
    site.runs["a.cn"] = runOn(2, std::nullopt, 0, 1);
    site.runs["b.cn"] = notQueriedOn(2, "b.cn");
    site.runs["c.cn"] = notQueriedOn(2, "c.cn");
    site.runs["old.cn"] = runOn(2, std::nullopt, 0, 4);
    site.runs["old.cn"].profile = "classic";
    CountingNotifier notifier;
    std::ostringstream out, err;

    const WatchOutcome outcome =
        WatchPass(site, history, history, notifier, out, err).run({"old.cn", "a.cn", "b.cn", "c.cn"});

    EXPECT_EQ(site.places, (std::vector<std::string>{"1/4 old.cn", "2/4 a.cn", "3/4 b.cn", "4/4 c.cn"}));
    EXPECT_EQ(notifier.sent, std::vector<std::string>{"Quarnel: 百度安全验证 | a.cn 的查询被百度拦截。"
                                                      "在 Quarnel 窗口中查询一次该域名以完成验证。\n"
                                                      "因被拦截而未查询：b.cn、c.cn"});
    EXPECT_EQ(err.str(), "not queried: b.cn (blocked)\nnot queried: c.cn (blocked)\n");
    EXPECT_EQ(outcome.notQueried, (std::vector<std::string>{"b.cn", "c.cn"}));
    EXPECT_FALSE(outcome.everyServiceReached);
    EXPECT_EQ(history.runs({{"c.cn"}, {}, {}}).value().at(0).notQueried, kNotQueriedBlocked);
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace quarnel::watch
