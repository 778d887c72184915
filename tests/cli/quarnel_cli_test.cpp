#include "history/iso_time.h"
#include "history/sqlite_history.h"
#include "tests/support/child_process.h"
#include "tests/support/sample_pages.h"
#include "tools/fake-web/fake_web_server.h"

#include <SQLiteCpp/Database.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <future>

namespace quarnel {
namespace {

using fakeweb::Reply;
using fakeweb::Route;
using testing::runProcess;
using namespace std::chrono_literals;

Route page(const std::string& host, const std::string& target, const std::string& utf8) {
    return Route{host, target, Reply::Body, 200, fakeweb::toGbk(utf8)};
}

// A folder reads as nothing.
std::string bytesOf(const std::filesystem::path& path) {
    if (!std::filesystem::is_regular_file(path)) {
        return {};
    }
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::size_t linesOf(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

class QuarnelCliTest : public ::testing::Test {
protected:
    QuarnelCliTest()
        : server_({
              page("www.baidu.com", "/s?wd=site%3Aexample.com&lm=1", testing::countPage("12")),
              page("www.baidu.com", "/s?wd=site%3Aexample.com&lm=7", testing::countPage("345")),
              page("www.baidu.com", "/s?wd=site%3Aexample.com&lm=30", testing::countPage("6,789")),
              page("www.baidu.com", "/s?wd=site%3Aexample.com",
                   testing::searchPage("10,000", "example.com", "2026-12-5")),
              page("pr.quarnel.example", "/querypr.asp?url=example.com",
                   testing::pageRankPage("3", "可能被劫持", testing::hijackLink("example.com", "thief.cn"))),
              page("www.baidu.com", "/s?wd=site%3Aempty.cn&lm=1", testing::countPage("")),
              Route{"*", "/s?wd=site%3Aempty.cn*", Reply::Drop},
              Route{"*", "/querypr.asp?url=empty.cn", Reply::Drop},
              Route{"*", "/s?wd=site%3Adown.cn*", Reply::Drop},
              Route{"*", "/querypr.asp?url=down.cn", Reply::Drop},
          }) {
        server_.start();
        std::filesystem::create_directories(folder_);
    }

    ~QuarnelCliTest() override { std::filesystem::remove_all(folder_); }

    testing::ProcessResult cli(std::vector<std::string> arguments, const std::string& input = "",
                               const std::vector<std::string>& before = {}) {
        arguments.insert(arguments.begin(), {"--history-file", history_.string()});
        arguments.insert(arguments.begin(), QUARNEL_CLI_PATH);
        arguments.insert(arguments.begin(), before.begin(), before.end());
        const std::string program = arguments.front();
        arguments.erase(arguments.begin());
        return runProcess(program, arguments,
                          {"http_proxy=" + server_.proxyUrl(), "no_proxy=", "NO_PROXY=", "HTTP_PROXY="}, input);
    }

    fakeweb::Server server_;
    std::filesystem::path folder_ = std::filesystem::temp_directory_path() /
                                    ("quarnel-cli-" + std::to_string(::getpid()) + "-" +
                                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::path history_ = folder_ / "history.sqlite3";
};

const std::string kExampleJson =
    R"({"domain":"example.com","day":"12","week":"345","month":"6,789","all":"10,000","snapshot":"2026-12-5",)"
    R"("homepage":"首页第一","pagerank":"3","hijack":"可能是劫持thief.cn","fetch_failures":0})"
    "\n";

const std::string kExampleBlock =
    "http://example.com\n"
    "  今日收录：12\n  一星期收录：345\n  一月收录：6,789\n  所有日收录：10,000\n"
    "  百度快照：2026-12-5\n  site:首页：首页第一\n  网站PR：3\n  PR是否劫持：可能是劫持thief.cn\n\n";

TEST_F(QuarnelCliTest, DomainsFromStandardInputGoOnPastFailuresAndAreRecorded) {
    const auto result = cli({"--json", "-"}, "down.cn\r\nexample.com\nempty.cn\n");

    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, R"({"domain":"down.cn","day":null,"week":null,"month":null,"all":null,"snapshot":null,)"
                          R"("homepage":null,"pagerank":null,"hijack":null,"fetch_failures":7})"
                          "\n" +
                              kExampleJson +
                              R"({"domain":"empty.cn","day":"","week":null,"month":null,"all":null,"snapshot":null,)"
                              R"("homepage":null,"pagerank":null,"hijack":null,"fetch_failures":6})"
                              "\n");
    EXPECT_EQ(result.err.rfind("无法连接服务器: http://www.baidu.com/s?wd=site%3Adown.cn&lm=1\n", 0), 0u) << result.err;
    EXPECT_EQ(linesOf(result.err), 13u);

    const auto csv = cli({"history", "--csv", "example.com", "empty.cn"});
    EXPECT_EQ(csv.exitCode, 0);
    EXPECT_EQ(linesOf(csv.out), 3u);
    EXPECT_NE(csv.out.find(",example.com,cli,0,12,345,\"6,789\",\"10,000\",2026-12-5,首页第一,3,可能是劫持thief.cn,"
                           "12,345,6789,10000,3\r\n"),
              std::string::npos)
        << csv.out;
    EXPECT_NE(csv.out.find(",empty.cn,cli,6,\"\",,,,,,,,,,,,\r\n"), std::string::npos) << csv.out;
    EXPECT_EQ(cli({"domains"}).out, "down.cn\nempty.cn\nexample.com\n");
}

TEST_F(QuarnelCliTest, ReadableBlockUsesTheWindowsHeadings) {
    const auto result = cli({"example.com"});

    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, kExampleBlock);
    EXPECT_EQ(result.err, "");
}

TEST_F(QuarnelCliTest, UsageErrorsExitWithTwoAndSendNothing) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{}, {"--json"}, {"--bogus", "example.com"}, {"-", "example.com"},
          {"history", "--since", "yesterday"}, {"history", "--bom"}, {"trend"}, {"trend", "a.cn", "b.cn"}}) {
        const auto result = cli(arguments);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_NE(result.err.find("usage: quarnel-cli"), std::string::npos);
        EXPECT_EQ(result.out, "");
    }
    EXPECT_TRUE(server_.requestLog().empty());
    EXPECT_FALSE(std::filesystem::exists(history_));

    const auto help = cli({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("usage: quarnel-cli", 0), 0u);
}

TEST_F(QuarnelCliTest, DomainSpeltLikeACommandIsQueriedAfterTheOptionsEnd) {
    const auto result = cli({"--no-history", "--", "history", "trend"});

    EXPECT_EQ(result.out.rfind("http://history\n", 0), 0u);
    EXPECT_NE(result.out.find("http://trend\n"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(history_));
}

TEST_F(QuarnelCliTest, TrendTellsTheChangesOfTheCountsAndThePageRank) {
    const auto now = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
    history::SqliteHistory seeded(history_);
    const std::vector<std::pair<std::chrono::sys_seconds, std::string>> days = {
        {now - 40 * 24h, "100"}, {now - 10 * 24h, "约1,150"}, {now - 2 * 24h, ""}, {now - 1h, "1,200"}};
    for (const auto& [startedAt, count] : days) {
        RunRecord run;
        run.domain = "example.com";
        run.startedAt = startedAt;
        run.results[Result::DayCount] = count;
        run.results[Result::PageRank] = "3";
        ASSERT_TRUE(seeded.record(run));
    }

    const auto trend = cli({"trend", "example.com"});
    EXPECT_EQ(trend.exitCode, 0);
    EXPECT_NE(trend.out.find("今日收录            1200         +50         +50       +1100\n"), std::string::npos)
        << trend.out;
    EXPECT_NE(trend.out.find("网站PR                 3           0           0           0\n"), std::string::npos)
        << trend.out;
    EXPECT_NE(trend.out.find("一星期收录           n/a         n/a         n/a         n/a\n"), std::string::npos);

    const auto since = history::isoUtc(now - 11 * 24h).substr(0, 10);
    const auto json = cli({"history", "--json", "--since", since, "--until", history::isoUtc(now - 24h)});
    EXPECT_EQ(linesOf(json.out), 2u);
    EXPECT_EQ(json.out.rfind(R"({"started":")" + history::isoUtc(now - 10 * 24h) + R"(","duration_ms":0,)", 0), 0u)
        << json.out;
    EXPECT_EQ(cli({"trend", "nowhere.cn"}).exitCode, 1);
}

// What lies at the database's path, and how the program runs.
struct HistoryFault {
    const char* name;
    std::function<std::filesystem::path(const std::filesystem::path& folder)> prepare;  // gives the path to keep
    std::vector<std::string> wrapper;
};

TEST_F(QuarnelCliTest, HistoryThatCannotBeWrittenIsLeftUntouchedAndTheQueryStillPrints) {
    std::signal(SIGXFSZ, SIG_IGN);  // the file size limit then fails the write instead of killing
    const auto seed = [](const std::filesystem::path& path) {
        EXPECT_TRUE(history::SqliteHistory(path).record({}));
        return path;
    };
    const std::vector<HistoryFault> faults = {
        {"not a database", [](const auto& folder) {
             std::ofstream(folder / "history.sqlite3") << "name,count\nexample.com,12\n";
             return folder / "history.sqlite3";
         }, {}},
        {"a folder in the way", [](const auto& folder) {
             std::filesystem::create_directory(folder / "history.sqlite3");
             return folder / "history.sqlite3";
         }, {}},
        {"no folder can be made", [](const auto& folder) {
             std::ofstream(folder / "quarnel") << "a file where the folder should be";
             return folder / "quarnel";
         }, {}},
        {"newer schema", [&](const auto& folder) {
             seed(folder / "history.sqlite3");
             SQLite::Database(folder / "history.sqlite3", SQLite::OPEN_READWRITE).exec("PRAGMA user_version = 7");
             return folder / "history.sqlite3";
         }, {}},
        {"disk full", [&](const auto& folder) { return seed(folder / "history.sqlite3"); },
         {"/usr/bin/prlimit", "--fsize=4096"}},
    };
    for (const HistoryFault& fault : faults) {
        SCOPED_TRACE(fault.name);
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        const auto kept = fault.prepare(folder_);
        const std::string before = bytesOf(kept);

        history_ = folder_ / "quarnel" / "history.sqlite3";
        if (kept.filename() == "history.sqlite3") {
            history_ = kept;
        }
        const auto result = cli({"example.com", "example.com"}, "", fault.wrapper);

        EXPECT_EQ(result.exitCode, 3);
        EXPECT_EQ(result.out, kExampleBlock + kExampleBlock);
        EXPECT_EQ(result.err.rfind("history: " + history_.string() + ": ", 0), 0u) << result.err;
        EXPECT_EQ(linesOf(result.err), 1u) << result.err;
        EXPECT_TRUE(bytesOf(kept) == before) << "the file in the way was changed";
    }
}

TEST_F(QuarnelCliTest, TwoBatchesRecordingAtOnceLoseNoRun) {
    std::string domains;
    for (int i = 0; i < 500; ++i) {
        domains += "site" + std::to_string(i) + ".cn\n";
    }
    // Every fetch fails at once on a closed port: the runs are quick and still recorded.
    const auto batch = [&] {
        return runProcess(QUARNEL_CLI_PATH, {"--history-file", history_.string(), "-"},
                          {"http_proxy=http://127.0.0.1:9", "no_proxy=", "NO_PROXY=", "HTTP_PROXY="}, domains);
    };
    auto first = std::async(std::launch::async, batch);
    auto second = std::async(std::launch::async, batch);
    EXPECT_EQ(first.get().exitCode, 1);
    EXPECT_EQ(second.get().exitCode, 1);

    EXPECT_EQ(history::SqliteHistory(history_).runs({}).value().size(), 1000u);
}

}  // namespace
}  // namespace quarnel
