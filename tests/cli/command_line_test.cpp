#include "fetch/cookie_jar.h"
#include "history/iso_time.h"
#include "history/sqlite_history.h"
#include "tests/cli/command_line_fixture.h"

#include <SQLiteCpp/Database.h>

#include <fstream>
#include <functional>

namespace quarnel::testing {
namespace {

const std::string kExampleBlock =
    "http://example.com\n"
    "  今日收录：12\n  一星期收录：345\n  一月收录：6,789\n  所有日收录：10,000\n"
    "  百度快照：2026-12-5\n  site:首页：首页第一\n  网站PR：3\n  PR是否劫持：可能是劫持thief.cn\n\n";

TEST_F(CommandLineTest, BatchGoesOnPastAFailureAndRecordsEveryRun) {
    const auto result = run({"--json", "-"}, "down.cn\r\nexample.com\nblank.cn\n");

    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, R"({"domain":"down.cn","day":null,"week":null,"month":null,"all":null,"snapshot":null,)"
                          R"("homepage":null,"pagerank":null,"hijack":null,"fetch_failures":7,"profile":"classic","blocked":0})"
                          "\n"
                          R"({"domain":"example.com","day":"12","week":"345","month":"6,789","all":"10,000",)"
                          R"("snapshot":"2026-12-5","homepage":"首页第一","pagerank":"3","hijack":"可能是劫持thief.cn",)"
                          R"("fetch_failures":0,"profile":"classic","blocked":0})"
                          "\n"
                          R"({"domain":"blank.cn","day":"","week":"","month":"","all":"","snapshot":"没有快照",)"
                          R"("homepage":"首页第一","pagerank":"","hijack":"pr真实","fetch_failures":0,"profile":"classic",)"
                          R"("blocked":0})"
                          "\n");
    EXPECT_EQ(result.err.rfind("无法连接服务器: http://www.baidu.com/s?wd=site%3Adown.cn&lm=1\n", 0), 0u) << result.err;
    EXPECT_EQ(count(result.err, "无法连接服务器: "), 7u);

    const auto csv = run({"history", "--csv", "example.com"}).out;
    EXPECT_NE(csv.find("\n2026-12-07T08:00:00Z,"), std::string::npos) << csv;
    EXPECT_NE(csv.find(",example.com,cli,0,12,345,\"6,789\",\"10,000\",2026-12-5,首页第一,3,可能是劫持thief.cn,"
                       "12,345,6789,10000,3\r\n"),
              std::string::npos)
        << csv;
    // Found empty is not the same as not found, in the history too.
    EXPECT_NE(run({"history", "--json", "blank.cn"}).out.find(R"("day":"","week":"","month":"","all":"",)"),
              std::string::npos);
    EXPECT_EQ(run({"domains"}).out, "blank.cn\ndown.cn\nexample.com\n");
    EXPECT_EQ(run({"example.com"}).out, kExampleBlock);
}

// The same flag the window reads: a page that does not keep cookies gets none, even from a
// profile whose other pages keep them. The trace says which way each page came.
TEST_F(CommandLineTest, OnlyPagesThatKeepCookiesSendThem) {
    CookieJar jar(cookieFile_);
    ASSERT_TRUE(jar.load().ok());
    ASSERT_TRUE(jar.save({{.domain = ".baidu.com", .includeSubdomains = true, .name = "BAIDUID", .value = "kept"}}).ok());
    const std::filesystem::path profile = folder_ / "mixed.toml";
    std::ofstream(profile) << "name = \"mixed\"\n"
                              "[pages.kept]\nurl = \"http://www.baidu.com/s?wd=site%3A{domain}&lm=1\"\ncookies = true\n"
                              "[pages.plain]\nurl = \"http://www.baidu.com/s?wd=site%3A{domain}&lm=7\"\n"
                              "[day_count]\npage = \"kept\"\nmarkers = [\"百度一下，找到相关网页\", \"篇\"]\n"
                              "[week_count]\npage = \"plain\"\nmarkers = [\"百度一下，找到相关网页\", \"篇\"]\n";

    const auto result = run({"--no-history", "--explain", "--profile", profile.string(), "example.com"});
    EXPECT_NE(result.out.find("今日收录：12\n  一星期收录：345\n"), std::string::npos) << result.out << result.err;
    EXPECT_EQ(count(result.out, "] via curl\n"), 2u) << result.out;
    ASSERT_EQ(server_.requestLog().size(), 2u);
    EXPECT_EQ(server_.requestLog()[0], "http://www.baidu.com/s?wd=site%3Aexample.com&lm=1");
    EXPECT_EQ(server_.cookieLog(), (std::vector<std::string>{"BAIDUID=kept", ""}));
}

TEST_F(CommandLineTest, ExitStatusTellsWhatWentWrong) {
    const std::string usage = "usage: quarnel-cli";
    const struct {
        std::vector<std::string> arguments;
        std::string input;
        int status;
        std::string told;
        std::vector<std::string> queried;  // nothing is printed when none is
    } cases[] = {
        {{}, "", 2, usage, {}},
        {{"--json"}, "", 2, usage, {}},
        {{"--bogus", "example.com"}, "", 2, usage, {}},
        {{"-", "example.com"}, "", 2, usage, {}},
        {{"history", "--since", "yesterday"}, "", 2, usage, {}},
        {{"history", "--bom"}, "", 2, usage, {}},
        {{"trend"}, "", 2, usage, {}},
        {{"trend", "a.cn", "b.cn"}, "", 2, usage, {}},
        {{"trend", "nowhere.cn"}, "", 5, "no recorded runs of nowhere.cn", {}},
        {{"--no-history", "example.com", "", "down.cn"}, "", 2, "domain argument 2 is an empty domain",
         {"example.com", "down.cn"}},
        {{"--no-history", "-"}, "example.com\n\n", 2, "line 2 of standard input is an empty domain", {"example.com"}},
        {{"--no-history", "--", "history", "trend"}, "", 1, "", {"history", "trend"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        const auto result = run(c.arguments, c.input);
        EXPECT_EQ(result.status, c.status);
        EXPECT_NE(result.err.find(c.told), std::string::npos) << result.err;
        for (const std::string& domain : c.queried) {
            EXPECT_NE(result.out.find("http://" + domain + "\n"), std::string::npos) << result.out;
        }
        EXPECT_EQ(result.out.empty(), c.queried.empty()) << result.out;
    }
    EXPECT_FALSE(std::filesystem::exists(history_));
    EXPECT_EQ(run({"--help"}).out.rfind("usage: quarnel-cli", 0), 0u);
}

TEST_F(CommandLineTest, TrendTellsTheChangesAndDrawsSparklinesOnATerminal) {
    history::SqliteHistory seeded(history_);
    for (const auto& [ago, dayCount] : std::vector<std::pair<std::chrono::hours, std::string>>{
             {40 * 24h, "100"}, {10 * 24h, "约1,150"}, {2 * 24h, ""}, {1h, "1,200"}}) {
        RunRecord run{.startedAt = clock_.at - ago, .domain = "example.com", .results = {}};
        run.results[Result::DayCount] = dayCount;
        run.results[Result::PageRank] = "3";
        ASSERT_TRUE(seeded.record(run).ok());
    }

    const auto terminal = run({"trend", "example.com"}, "", true);
    EXPECT_EQ(terminal.status, 0);
    EXPECT_NE(terminal.out.find("今日收录            1200         +50         +50       +1100  ▁█ █\n"), std::string::npos)
        << terminal.out;
    EXPECT_NE(terminal.out.find("网站PR                 3           0           0           0  ▁▁▁▁\n"), std::string::npos);
    EXPECT_NE(terminal.out.find("一星期收录           n/a         n/a         n/a         n/a\n"), std::string::npos);
    EXPECT_EQ(count(run({"trend", "example.com"}).out, "▁"), 0u);

    const auto json = run({"history", "--json", "--since", "2026-11-27", "--until", history::isoUtc(clock_.at - 24h)});
    EXPECT_EQ(count(json.out, "\n"), 2u);
    EXPECT_EQ(json.out.rfind(R"({"started":"2026-11-27T08:00:00Z","duration_ms":0,)", 0), 0u) << json.out;
}

// Something in the database's way, kept as it is.
TEST_F(CommandLineTest, HistoryThatCannotBeUsedIsLeftUntouchedAndTheQueryStillPrints) {
    const struct {
        const char* name;
        const char* inTheWay;  // in the folder; "quarnel" where the database's folder should be
        std::function<void(const std::filesystem::path& inTheWay)> put;
        bool unreadable;  // no database at all reads as no runs, a newer one as its runs
    } faults[] = {
        {"not a database", "history.sqlite3", [](const auto& path) { std::ofstream(path) << "name,count\n"; }, true},
        {"a folder in the way", "history.sqlite3", [](const auto& path) { std::filesystem::create_directory(path); }, true},
        {"no folder can be made", "quarnel", [](const auto& path) { std::ofstream(path) << "a file"; }, false},
        {"newer schema", "history.sqlite3", [](const auto& path) {
             EXPECT_TRUE(history::SqliteHistory(path).record(RunRecord()).ok());
             SQLite::Database(path, SQLite::OPEN_READWRITE).exec("PRAGMA user_version = 7");
         }, false},
    };
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.name);
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        const auto kept = folder_ / fault.inTheWay;
        fault.put(kept);
        const std::string before = bytesOf(kept);
        history_ = kept.filename() == "quarnel" ? kept / "history.sqlite3" : kept;

        // A failed fetch in the batch or the watch pass does not hide the failed record.
        const auto result = run({"down.cn", "example.com"});
        EXPECT_EQ(result.status, 3);
        EXPECT_TRUE(result.out.ends_with(kExampleBlock)) << result.out;
        EXPECT_NE(result.err.find("\nhistory: " + history_.string() + ": "), std::string::npos) << result.err;
        EXPECT_EQ(count(result.err, "history: "), 1u) << result.err;
        std::ofstream(list_) << "down.cn\nexample.com\n";
        EXPECT_EQ(watch({}).status, 3);
        for (const char* reader : {"domains", "history"}) {
            EXPECT_EQ(run({reader}).status, fault.unreadable ? 3 : 0) << reader;
        }
        EXPECT_TRUE(bytesOf(kept) == before) << "the file in the way was changed";
    }
}

}  // namespace
}  // namespace quarnel::testing
