#include "history/iso_time.h"
#include "history/sqlite_history.h"

#include <SQLiteCpp/Database.h>
#include <gtest/gtest.h>

#include <atomic>
#include <barrier>
#include <fstream>
#include <thread>

namespace quarnel::history {
namespace {

using std::chrono::sys_days;
using namespace std::chrono_literals;

std::string bytesOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

const auto kNewYear = sys_days(std::chrono::year(2026) / 1 / 1);

RunRecord runOf(std::string domain, std::chrono::sys_seconds startedAt) {
    RunRecord run{.startedAt = startedAt, .duration = 812ms, .domain = std::move(domain), .fetchFailures = 1,
                  .results = RunResults({"约1,234", "", "5,678", "约91,011", {}, "首页第一", "3", {}}),
                  .profile = "current", .blockedPages = 2};
    run.reasons[static_cast<std::size_t>(Result::Snapshot)] = "the page is blocked (百度安全验证)";
    run.requests = {{"search-day", "browser"}, {"opr", "curl"}, {"search-all", "curl (no browser engine)"}};
    return run;
}

class HistoryStoreTest : public ::testing::Test {
protected:
    std::filesystem::path folder_ = std::filesystem::temp_directory_path() /
                                    ("quarnel-history-" + std::to_string(::getpid()) + "-" +
                                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::path path_ = folder_ / "deeper" / "history.sqlite3";

    ~HistoryStoreTest() override { std::filesystem::remove_all(folder_); }
};

TEST_F(HistoryStoreTest, RunsComeBackByteForByteOldestFirstAndFiltered) {
    const auto day = sys_days(std::chrono::year(2026) / 12 / 6);
    std::vector<RunRecord> recorded = {
        runOf("b.cn", day),
        runOf(std::string("quote\"comma,new\nline\0nul", 24), day + 1h),
        runOf(std::string(1 << 20, 'x'), day + 3h),
        runOf("b.cn", day + 24h),
    };
    recorded[1].origin = RunOrigin::Window;
    recorded[3].notQueried = kNotQueriedBlocked;
    {
        SqliteHistory history(path_);
        EXPECT_TRUE(history.runs({}).value().empty());
        EXPECT_FALSE(std::filesystem::exists(path_));  // and nothing created
        for (const RunRecord& run : recorded) {
            ASSERT_TRUE(history.record(run));
        }
    }
    const SqliteHistory history(path_);
    EXPECT_TRUE(history.runs({}).value() == recorded);
    EXPECT_EQ(history.domains().value(), (std::vector<std::string>{"b.cn", recorded[1].domain, recorded[2].domain}));

    // From a day to the same day: all of it, from its first second to its last.
    const auto firstDayOfB = history.runs({{"b.cn"}, parseMomentOrDay("2026-12-06", DayEdge::First),
                                           parseMomentOrDay("2026-12-06", DayEdge::Last)});
    EXPECT_TRUE(firstDayOfB.value() == std::vector<RunRecord>{recorded[0]});

    // The number columns, which only other programs read.
    EXPECT_EQ(SQLite::Database(path_.string())
                  .execAndGet("SELECT day_count || ' ' || ifnull(week_count, 'none') || ' ' || month_count || ' ' ||"
                              " all_count || ' ' || pagerank_value FROM runs LIMIT 1")
                  .getString(),
              "1234 none 5678 91011 3");
}

TEST_F(HistoryStoreTest, AnEmptyFileHasNoRunsAndBecomesOursButANewerOrForeignDatabaseIsOnlyRead) {
    std::filesystem::create_directories(path_.parent_path());
    std::ofstream(path_).close();
    EXPECT_TRUE(SqliteHistory(path_).runs({}).value().empty());
    EXPECT_TRUE(SqliteHistory(path_).domains().value().empty());
    ASSERT_TRUE(SqliteHistory(path_).record(runOf("a.cn", kNewYear)));

    const std::vector<std::pair<const char*, const char*>> refusals = {
        {"PRAGMA user_version = 99", "newer version"},
        {"DROP TABLE runs; PRAGMA user_version = 0; CREATE TABLE notes(text)", "not a history database"},
    };
    for (const auto& [change, reason] : refusals) {
        {
            SQLite::Database db(path_.string(), SQLite::OPEN_READWRITE);
            db.exec("PRAGMA journal_mode = DELETE");
            db.exec(change);
        }
        const std::string before = bytesOf(path_);
        SqliteHistory history(path_);
        const auto recorded = history.record(runOf("a.cn", kNewYear + 24h));
        ASSERT_FALSE(recorded) << change;
        EXPECT_NE(recorded.reason().find(reason), std::string::npos) << recorded.reason();
        EXPECT_TRUE(history.runs({})) << change;
        EXPECT_TRUE(bytesOf(path_) == before) << change << ": the database was changed";
    }
}

TEST_F(HistoryStoreTest, LatestRunsAreEachDomainsLastRunsAndTheLastCompleteOneBeforeItsLatest) {
    // Each run is known by its day count.
    const auto run = [](const char* domain, int second, long long day, int failures = 0, int blocked = 0) {
        return RunRecord{.startedAt = kNewYear + std::chrono::seconds(second), .domain = domain,
                         .fetchFailures = failures, .results = RunResults({std::to_string(day)}),
                         .blockedPages = blocked};
    };
    // A domain a stopped pass did not query has a run that reached no service.
    auto notQueried = run("e.cn", 2, 52);
    notQueried.notQueried = kNotQueriedBlocked;
    SqliteHistory history(path_);
    ASSERT_TRUE(history.recordAll({
        run("a.cn", 1, 11), run("a.cn", 2, 12, 1), run("a.cn", 3, 13, 0, 1), run("a.cn", 4, 14, 2), run("a.cn", 5, 15, 1),
        // Several runs in one second: their order is the order they were recorded in.
        run("b.cn", 1, 21), run("b.cn", 2, 22), run("b.cn", 2, 23),
        run("c.cn", 1, 31, 3),
        run("d.cn", 1, 41), run("d.cn", 1, 42, 1), run("d.cn", 1, 43, 1), run("d.cn", 2, 44),
        run("e.cn", 1, 51), notQueried, run("e.cn", 3, 53),
    }));
    struct Expected {
        std::vector<long long> recent;  // the latest is the last
        long long compared;             // 0 for none
    };
    const std::vector<std::pair<std::size_t, std::vector<Expected>>> cases = {
        {1, {{{15}, 11}, {{23}, 22}, {{31}, 0}, {{44}, 41}, {{53}, 51}}},
        {3, {{{13, 14, 15}, 11}, {{21, 22, 23}, 22}, {{31}, 0}, {{42, 43, 44}, 41}, {{51, 52, 53}, 51}}},
        {0, {{{15}, 11}, {{23}, 22}, {{31}, 0}, {{44}, 41}, {{53}, 51}}},
    };
    const auto dayOf = [](const RunRecord& run) { return countValue(*run.results[Result::DayCount]).value(); };
    for (const auto& [recent, expected] : cases) {
        SCOPED_TRACE(recent);
        const std::vector<DomainRuns> latest = history.latestRuns(recent, std::nullopt).value();
        ASSERT_EQ(latest.size(), expected.size());
        for (std::size_t i = 0; i < latest.size(); ++i) {
            std::vector<long long> days;
            for (const ResultNumbers& numbers : latest[i].recent) {
                days.push_back(numbers[0].value());
            }
            EXPECT_EQ(latest[i].domain, std::string(1, static_cast<char>('a' + i)) + ".cn");
            EXPECT_EQ(days, expected[i].recent) << latest[i].domain;
            EXPECT_EQ(dayOf(*latest[i].latest), expected[i].recent.back()) << latest[i].domain;
            EXPECT_EQ(latest[i].compared ? dayOf(*latest[i].compared) : 0, expected[i].compared) << latest[i].domain;
        }
    }
    const auto ofD = history.latestRuns(3, "d.cn").value();
    ASSERT_EQ(ofD.size(), 1u);
    EXPECT_EQ(ofD[0].recent.size(), 3u);
    EXPECT_EQ(dayOf(*ofD[0].compared), 41);
    EXPECT_TRUE(history.latestRuns(3, "nowhere.cn").value().empty());
    EXPECT_TRUE(SqliteHistory(folder_ / "none.sqlite3").latestRuns(30, std::nullopt).value().empty());
}

// A database of an earlier version (before the rules were recorded; before a domain not
// queried was; before the transports were): read as it is, then taken forward once by the
// first record, its runs kept as runs of the classic rules, queried, of no known transport.
TEST_F(HistoryStoreTest, AnOlderDatabaseIsReadAsItIsAndMigratedOnceByTheFirstRecord) {
    for (const int version : {1, 2, 3}) {
        SCOPED_TRACE(version);
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(path_.parent_path());
        {
            SQLite::Database old(path_, SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
            old.exec("CREATE TABLE runs(domain TEXT NOT NULL, started INTEGER NOT NULL, seq INTEGER NOT NULL,"
                     " duration_ms INTEGER NOT NULL, origin TEXT NOT NULL, fetch_failures INTEGER NOT NULL,"
                     " day TEXT, week TEXT, month TEXT, \"all\" TEXT, snapshot TEXT, homepage TEXT, pagerank TEXT,"
                     " hijack TEXT, day_count INTEGER, week_count INTEGER, month_count INTEGER, all_count INTEGER,"
                     " pagerank_value INTEGER, PRIMARY KEY (domain, started, seq)) WITHOUT ROWID;"
                     "INSERT INTO runs VALUES('a.cn', 1, 0, 5, 'cli', 0, '12', NULL, NULL, NULL, NULL, NULL, NULL,"
                     " NULL, 12, NULL, NULL, NULL, NULL); PRAGMA user_version = 1");
            if (version >= 2) {
                old.exec("ALTER TABLE runs ADD COLUMN profile TEXT NOT NULL DEFAULT 'classic';"
                         "ALTER TABLE runs ADD COLUMN blocked INTEGER NOT NULL DEFAULT 0;"
                         "ALTER TABLE runs ADD COLUMN reasons TEXT; PRAGMA user_version = 2");
            }
            if (version >= 3) {
                old.exec("ALTER TABLE runs ADD COLUMN not_queried TEXT; PRAGMA user_version = 3");
            }
        }
        const std::string before = bytesOf(path_);
        ASSERT_EQ(SqliteHistory(path_).runs({})->size(), 1u);
        EXPECT_EQ(SqliteHistory(path_).latestRuns(30, std::nullopt).value().at(0).latest->results[Result::DayCount], "12");
        EXPECT_EQ(bytesOf(path_), before) << "reading never writes";

        const RunRecord recorded = runOf("b.cn", kNewYear);
        ASSERT_TRUE(SqliteHistory(path_).record(recorded));
        const std::vector<RunRecord> runs = SqliteHistory(path_).runs({}).value();
        ASSERT_EQ(runs.size(), 2u);
        EXPECT_EQ(runs[0].results[Result::DayCount], "12");
        EXPECT_EQ(runs[0].profile, "classic");
        EXPECT_TRUE(reachedEveryService(runs[0]));
        EXPECT_TRUE(runs[0].requests.empty());
        EXPECT_TRUE(runs[1] == recorded);
        EXPECT_EQ(SQLite::Database(path_).execAndGet("PRAGMA user_version").getInt(), 4);
    }
}

// SQLite answers "busy" without waiting where its own wait could deadlock, as when one
// writer switches the journal mode while another creates the schema. Without the store
// trying again there, about one new file in thirty lost a run.
TEST_F(HistoryStoreTest, WritersCreatingOneFileAtOnceLoseNoRun) {
    constexpr int kTries = 150;
    constexpr int kWriters = 8;
    for (int attempt = 0; attempt < kTries; ++attempt) {
        std::filesystem::remove_all(folder_);
        std::barrier start(kWriters);
        std::atomic<int> lost = 0;
        std::vector<std::thread> writers;
        for (int i = 0; i < kWriters; ++i) {
            writers.emplace_back([&, i] {
                SqliteHistory history(path_);
                start.arrive_and_wait();
                lost += history.record(runOf(std::to_string(i), {})) ? 0 : 1;
            });
        }
        for (std::thread& writer : writers) {
            writer.join();
        }
        ASSERT_EQ(lost, 0) << "new file " << attempt;
    }
}

TEST_F(HistoryStoreTest, ABareFileNameIsAFileInTheCurrentFolder) {
    std::filesystem::create_directories(folder_);
    std::filesystem::current_path(folder_);
    EXPECT_TRUE(SqliteHistory("new.db").record(runOf("a.cn", {})));
    EXPECT_TRUE(std::filesystem::exists(folder_ / "new.db"));
}

TEST_F(HistoryStoreTest, WriterLockedPastTheTimeoutIsAnErrorAndReadsGoOn) {
    SqliteHistory history(path_, 100ms);
    ASSERT_TRUE(history.record(runOf("a.cn", kNewYear)));

    SQLite::Database other(path_.string(), SQLite::OPEN_READWRITE);
    other.exec("BEGIN IMMEDIATE");
    const auto locked = history.record(runOf("a.cn", kNewYear + 24h));
    EXPECT_EQ(locked ? "" : locked.reason(), path_.string() + ": in use by another program for more than 100 ms");
    EXPECT_EQ(history.runs({}).value().size(), 1u);
    other.exec("ROLLBACK");

    ASSERT_TRUE(history.record(runOf("a.cn", kNewYear + 48h)));
    EXPECT_EQ(history.runs({}).value().size(), 2u);
}

}  // namespace
}  // namespace quarnel::history
