#include "history/sqlite_history.h"
#include "tests/cli/command_line_fixture.h"
#include "tests/support/site_runs.h"
#include "watch/watch_pass.h"

#include <SQLiteCpp/Database.h>
#include <nlohmann/json.hpp>

#include <regex>

namespace quarnel::testing {
namespace {

void write(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A table line's cells: the table keeps at least two spaces between them.
std::vector<std::string> cellsOf(const std::string& line) {
    static const std::regex kGap(" {2,}");
    return {std::sregex_token_iterator(line.begin(), line.end(), kGap, -1), std::sregex_token_iterator()};
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

class StatusCommandTest : public CommandLineTest {
protected:
    StatusCommandTest() {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
    }

    void record(const std::string& domain, int daysAgo, std::vector<std::optional<std::string>> values,
                int fetchFailures = 0, int blocked = 0, const std::string& reason = "") {
        ASSERT_TRUE(store_.record(siteRun(clock_.at, domain, daysAgo, std::move(values), fetchFailures, blocked, reason)));
    }

    // The run of a domain a pass stopped by a blocked answer did not query.
    void recordNotQueried(const std::string& domain, int hoursAgo) {
        ASSERT_TRUE(store_.record(watch::notQueriedRun({.domain = domain}, clock_.at - std::chrono::hours(hoursAgo),
                                                       "current", RunOrigin::Cli)));
    }

    // example.com: its latest run is compared with the first, the only other complete one.
    void recordExample() {
        record("example.com", 4, {"100", "1,000", "约2,000", "10,000", "3"});
        record("example.com", 3, {"50", {}, {}, {}, {}}, 2, 0, "fetch failed");
        record("example.com", 2, {"1", "1", "1", "1", "1"}, 0, 1);
        recordNotQueried("example.com", 36);
        record("example.com", 1, {"1,234", "1,000", "1,990", "", "4"}, 0, 0, "no count on the page");
    }

    history::SqliteHistory store_{history_};
};

TEST_F(StatusCommandTest, ChangesAreCountedFromTheLastRunThatReachedEveryServiceAndGapsSayWhy) {
    recordExample();
    record("blocked.cn", 3, {"5", "5", "5", "5", "2"});
    record("blocked.cn", 1, {"", "", "", "", "2"}, 0, 2, "the page is blocked (百度安全验证)");
    record("down.cn", 1, {}, 7, 0, "fetch failed");
    record("skipped.cn", 3, {"5", "5", "5", "5", "2"});
    recordNotQueried("skipped.cn", 24);

    const auto result = run({"status"});

    EXPECT_EQ(result.status, 0) << result.err;
    const auto lines = linesOf(result.out);
    ASSERT_EQ(lines.size(), 5u) << result.out;
    EXPECT_EQ(cellsOf(lines[0]), (std::vector<std::string>{"", "domain", "latest", "今日收录", "一星期收录", "一月收录",
                                                           "所有日收录", "网站PR", "profile"}));
    const std::string blocked = "? the page is blocked (百度安全验证)";
    EXPECT_EQ(cellsOf(lines[1]), (std::vector<std::string>{"", "blocked.cn", "12-06 08:00", blocked, blocked, blocked,
                                                           blocked, "2 –", "current", "被拦截 ×2"}));
    EXPECT_EQ(cellsOf(lines[2]), (std::vector<std::string>{"", "down.cn", "12-06 08:00", "? fetch failed",
                                                           "? fetch failed", "? fetch failed", "? fetch failed",
                                                           "? fetch failed", "current", "无法连接服务器 ×7"}));
    EXPECT_EQ(cellsOf(lines[3]), (std::vector<std::string>{"", "example.com", "12-06 08:00", "1,234 ▲1,134", "1,000 –",
                                                           "1,990 ▼10", "? no count on the page", "4 ▲1", "current"}));
    const std::string notQueried = "? 未查询";
    EXPECT_EQ(cellsOf(lines[4]), (std::vector<std::string>{"", "skipped.cn", "12-06 08:00", notQueried, notQueried,
                                                           notQueried, notQueried, notQueried, "current",
                                                           "因被拦截而未查询"}));
}

TEST_F(StatusCommandTest, JsonHasTheHistoryKeysOfTheLatestRunWithThePreviousOneAndTheChanges) {
    recordExample();
    record("once.cn", 1, {"7", {}, {}, {}, {}});

    const auto lines = linesOf(run({"status", "--json"}).out);

    ASSERT_EQ(lines.size(), 2u);
    const auto example = nlohmann::ordered_json::parse(lines[0]);
    std::vector<std::string> keys;
    for (const auto& [key, value] : example.items()) {
        keys.push_back(key);
    }
    const std::vector<std::string> historyKeys = {
        "started",  "duration_ms", "origin", "domain",         "day",     "week",    "month",  "all", "snapshot",
        "homepage", "pagerank",    "hijack", "fetch_failures", "profile", "blocked", "reasons", "not_queried",
        "requests"};
    std::vector<std::string> statusKeys = historyKeys;
    statusKeys.insert(statusKeys.end(), {"watched", "previous", "changes"});
    EXPECT_EQ(keys, statusKeys);
    EXPECT_EQ(example["started"], "2026-12-06T08:00:00Z");
    EXPECT_EQ(example["watched"], false);
    EXPECT_EQ(example["previous"]["started"], "2026-12-03T08:00:00Z");
    EXPECT_EQ(example["previous"].size(), historyKeys.size());
    EXPECT_EQ(example["changes"].dump(),
              R"({"day":{"from":"100","to":"1,234","delta":1134},"month":{"from":"约2,000","to":"1,990","delta":-10},)"
              R"("all":{"from":"10,000","to":""},"pagerank":{"from":"3","to":"4","delta":1}})");

    const auto once = nlohmann::ordered_json::parse(lines[1]);
    EXPECT_TRUE(once["previous"].is_null());
    EXPECT_TRUE(once["changes"].empty());
}

TEST_F(StatusCommandTest, WatchedDomainsComeFirstInTheListsOrderThenTheOthersSorted) {
    for (const char* domain : {"a.cn", "b.cn", "c.cn", "0.cn"}) {
        record(domain, 1, {"1", "2", "3", "4", "5"});
    }
    write(list_, "\xEF\xBB\xBF# mine\r\nb.cn\r\nnever.cn\na.cn\n");

    const auto table = run({"status", "--watch-file", list_.string()});
    const auto json = linesOf(run({"status", "--json", "--watch-file", list_.string()}).out);

    const std::vector<std::vector<std::string>> expected = {
        {"✓", "b.cn"}, {"✓", "never.cn"}, {"✓", "a.cn"}, {"", "0.cn"}, {"", "c.cn"}};
    const auto lines = linesOf(table.out);
    ASSERT_EQ(lines.size(), expected.size() + 1) << table.out;
    ASSERT_EQ(json.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto cells = cellsOf(lines[i + 1]);
        EXPECT_EQ(std::vector<std::string>(cells.begin(), cells.begin() + 2), expected[i]);
        const auto line = nlohmann::json::parse(json[i]);
        EXPECT_EQ(line["domain"], expected[i][1]);
        EXPECT_EQ(line["watched"], !expected[i][0].empty());
    }
    EXPECT_EQ(cellsOf(lines[2]).at(2), "never");
    EXPECT_TRUE(nlohmann::json::parse(json[1])["started"].is_null());
}

TEST_F(StatusCommandTest, NothingRecordedAndNothingWatchedIsOneLineAndNoFailure) {
    const auto result = run({"status", "--watch-file", list_.string()});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(count(result.err, "\n"), 1u);
    EXPECT_NE(result.err.find("nothing recorded and nothing watched"), std::string::npos) << result.err;
}

// A database status cannot use is refused as history refuses it, and left as it is.
TEST_F(StatusCommandTest, ANewerOrForeignDatabaseIsTreatedAsHistoryTreatsIt) {
    const struct {
        const char* name;
        std::function<void(const std::filesystem::path&)> put;
        int status;
        bool rows;
    } databases[] = {
        {"not a database", [](const std::filesystem::path& path) { std::ofstream(path) << "name,count\n"; }, 3, false},
        {"newer schema",
         [](const std::filesystem::path& path) {
             EXPECT_TRUE(history::SqliteHistory(path).record({.domain = "example.com", .results = {}}).ok());
             SQLite::Database db(path, SQLite::OPEN_READWRITE);
             db.exec("PRAGMA journal_mode = DELETE");
             db.exec("PRAGMA user_version = 7");
         },
         0, true},
        {"another program's",
         [](const std::filesystem::path& path) {
             SQLite::Database(path, SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE).exec("CREATE TABLE notes(text)");
         },
         0, false},
    };
    for (const auto& database : databases) {
        SCOPED_TRACE(database.name);
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        database.put(history_);
        const std::string before = bytesOf(history_);

        const auto status = run({"status"});
        const auto history = run({"history"});

        EXPECT_EQ(status.status, database.status) << status.err;
        EXPECT_EQ(history.status, database.status);
        if (database.status != 0) {
            EXPECT_EQ(status.err, history.err);
        }
        EXPECT_EQ(status.out.find("example.com") != std::string::npos, database.rows) << status.out;
        EXPECT_TRUE(bytesOf(history_) == before) << "the database was changed";
    }
}

}  // namespace
}  // namespace quarnel::testing
