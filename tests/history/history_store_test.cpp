#include "history/sqlite_history.h"

#include <SQLiteCpp/Database.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace quarnel::history {
namespace {

using std::chrono::sys_days;
using namespace std::chrono_literals;

std::string bytesOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

RunRecord runOf(std::string domain, std::chrono::sys_seconds startedAt) {
    RunRecord run;
    run.domain = std::move(domain);
    run.startedAt = startedAt;
    run.duration = 812ms;
    run.fetchFailures = 1;
    run.results[Result::DayCount] = "约1,234";
    run.results[Result::WeekCount] = "";
    run.results[Result::HomePageVerdict] = "首页第一";
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

TEST(CountValueTest, ReadsCountsAndRejectsAnythingElse) {
    const std::vector<std::pair<std::string, std::optional<long long>>> cases = {
        {"1,234", 1234},     {"约1,234", 1234},      {"0", 0},         {"12345678", 12345678},
        {"", std::nullopt},  {"约", std::nullopt},   {"查询中.", std::nullopt}, {"1,2,", std::nullopt},
        {",12", std::nullopt}, {"1,,2", std::nullopt}, {"-3", std::nullopt}, {"12 ", std::nullopt},
        {"99999999999999999999", std::nullopt},
    };
    for (const auto& [caption, expected] : cases) {
        EXPECT_EQ(countValue(caption), expected) << caption;
    }
}

TEST_F(HistoryStoreTest, RunsComeBackByteForByteOldestFirstAndFiltered) {
    const auto day = sys_days(std::chrono::year(2026) / 12 / 6);
    std::vector<RunRecord> recorded = {
        runOf("b.cn", day + 2h),
        runOf(std::string("quote\"comma,new\nline\0nul", 24), day + 1h),
        runOf(std::string(1 << 20, 'x'), day + 3h),
        runOf("b.cn", day + 26h),
    };
    recorded[1].origin = RunOrigin::Window;
    {
        SqliteHistory history(path_);
        EXPECT_TRUE(history.runs({}).empty());  // nothing there yet, nothing created
        EXPECT_FALSE(std::filesystem::exists(path_));
        for (const RunRecord& run : recorded) {
            history.record(run);
        }
    }
    const SqliteHistory history(path_);
    const auto all = history.runs({});
    ASSERT_EQ(all.size(), 4u);
    EXPECT_TRUE(all[0] == recorded[1]);
    EXPECT_TRUE(all[1] == recorded[0]);
    EXPECT_TRUE(all[2] == recorded[2]);
    EXPECT_EQ(history.domains(), (std::vector<std::string>{"b.cn", recorded[1].domain, recorded[2].domain}));

    const auto firstDayOfB = history.runs({{"b.cn"}, day, day + 24h - 1s});
    ASSERT_EQ(firstDayOfB.size(), 1u);
    EXPECT_TRUE(firstDayOfB[0] == recorded[0]);

    SQLite::Database db(path_.string());
    EXPECT_EQ(db.execAndGet("SELECT day_count FROM runs WHERE domain = 'b.cn' LIMIT 1").getInt(), 1234);
    EXPECT_TRUE(db.execAndGet("SELECT week_count FROM runs LIMIT 1").isNull());
}

TEST_F(HistoryStoreTest, EmptyFileIsMigratedAndNewerSchemaIsOnlyRead) {
    std::filesystem::create_directories(path_.parent_path());
    std::ofstream(path_).close();
    SqliteHistory(path_).record(runOf("a.cn", sys_days(std::chrono::year(2026) / 1 / 1)));
    {
        SQLite::Database db(path_.string(), SQLite::OPEN_READWRITE);
        EXPECT_EQ(db.execAndGet("PRAGMA user_version").getInt(), 1);
        db.exec("PRAGMA journal_mode = DELETE");
        db.exec("PRAGMA user_version = 99");
    }
    const std::string before = bytesOf(path_);

    SqliteHistory history(path_);
    try {
        history.record(runOf("a.cn", sys_days(std::chrono::year(2026) / 1 / 2)));
        ADD_FAILURE() << "a newer database was written";
    } catch (const HistoryError& error) {
        EXPECT_NE(std::string(error.what()).find("newer version"), std::string::npos) << error.what();
    }
    EXPECT_EQ(history.runs({}).size(), 1u);
    EXPECT_TRUE(bytesOf(path_) == before) << "the newer database was changed";
}

TEST_F(HistoryStoreTest, WriterLockedPastTheTimeoutIsAnErrorAndReadsGoOn) {
    SqliteHistory history(path_, 100ms);
    history.record(runOf("a.cn", sys_days(std::chrono::year(2026) / 1 / 1)));

    SQLite::Database other(path_.string(), SQLite::OPEN_READWRITE);
    other.exec("BEGIN IMMEDIATE");
    EXPECT_THROW(history.record(runOf("a.cn", sys_days(std::chrono::year(2026) / 1 / 2))), HistoryError);
    EXPECT_EQ(history.runs({}).size(), 1u);
    other.exec("ROLLBACK");

    history.record(runOf("a.cn", sys_days(std::chrono::year(2026) / 1 / 3)));
    EXPECT_EQ(history.runs({}).size(), 2u);
}

}  // namespace
}  // namespace quarnel::history
