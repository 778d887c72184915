#include "history/sqlite_history.h"
#include "watch/watch_pass.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

namespace quarnel::watch {
namespace {

// Gives the scripted run of the domain, as if it had just been queried.
struct ScriptedSite final : SiteQuery {
    RunRecord run;
    RunRecord query(const std::string&) override { return run; }
};

struct CountingNotifier final : Notifier {
    void notify(const std::string&, const std::string&) noexcept override { ++sent; }
    std::size_t sent = 0;
};

RunRecord runOn(int day, std::optional<std::string> dayCount, int fetchFailures = 0) {
    return {.startedAt = std::chrono::sys_days{std::chrono::December / day / 2026},
            .domain = "example.com",
            .fetchFailures = fetchFailures,
            .results = RunResults({std::move(dayCount)})};
}

struct PassCase {
    const char* name;
    std::vector<RunRecord> recorded;  // before the pass
    RunRecord now;
    std::string printed;  // and notified, when there is any
    bool everyFetchCompleted = true;
};

TEST(WatchPassTest, TellsWhatChangedSinceTheLastRunThatReachedEveryService) {
    const std::vector<PassCase> cases = {
        {"first run", {}, runOn(2, "120"), ""},
        {"nothing changed", {runOn(1, "120")}, runOn(2, "120"), ""},
        {"a fall", {runOn(1, "120")}, runOn(2, "95"), "example.com 今日收录 120 → 95 (-20.8%)\n"},
        {"a later run that missed a service is passed over", {runOn(1, "120"), runOn(2, std::nullopt, 3)},
         runOn(3, "120"), ""},
        {"a run that missed a service is compared with nothing", {runOn(1, "120")}, runOn(2, std::nullopt, 3), "", false},
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
        site.run = c.now;
        CountingNotifier notifier;
        std::ostringstream out, err;

        const WatchOutcome outcome = WatchPass(site, history, history, notifier, out, err).run({"example.com"});

        EXPECT_EQ(out.str(), c.printed);
        EXPECT_EQ(notifier.sent, c.printed.empty() ? 0u : 1u);
        EXPECT_EQ(outcome.everyFetchCompleted, c.everyFetchCompleted);
        EXPECT_TRUE(outcome.everyRunRecorded);
        EXPECT_EQ(history.runs({})->size(), c.recorded.size() + 1);
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace quarnel::watch
