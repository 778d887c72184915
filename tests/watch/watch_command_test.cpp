#include "history/sqlite_history.h"
#include "tests/support/child_process.h"
#include "tests/support/sample_pages.h"
#include "tools/fake-web/fake_web_server.h"

#include <gtest/gtest.h>
#include <sys/file.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace quarnel {
namespace {

using fakeweb::Reply;
using fakeweb::Route;

Route page(const std::string& target, const std::string& utf8) {
    return Route{"*", target, Reply::Body, 200, fakeweb::toGbk(utf8)};
}

std::string contentsOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void write(const std::filesystem::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// quarnel-cli watch against fake-web, with its list, history and notify-send in a folder of its own.
class WatchCommandTest : public ::testing::Test {
protected:
    WatchCommandTest()
        : server_({
              page("/s?wd=site%3Aexample.com&lm=1", testing::countPage("12")),
              page("/s?wd=site%3Aexample.com&lm=7", testing::countPage("345")),
              page("/s?wd=site%3Aexample.com&lm=30", testing::countPage("6,789")),
              page("/s?wd=site%3Aexample.com", testing::searchPage("10,000", "example.com", "2026-12-5")),
              page("/querypr.asp?url=example.com",
                   testing::pageRankPage("3", "可能被劫持", testing::hijackLink("example.com", "thief.cn"))),
              Route{"*", "*down.cn*", Reply::Drop},
          }),
          folder_(std::filesystem::temp_directory_path() / ("quarnel-watch-" + std::to_string(getpid()))) {
        server_.start();
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        write(folder_ / "notify-send", "#!/bin/sh\nfor a in \"$@\"; do printf '%s|' \"$a\"; done >>\"$0.log\"\n");
        std::filesystem::permissions(folder_ / "notify-send", std::filesystem::perms::owner_all);
    }
    ~WatchCommandTest() override { std::filesystem::remove_all(folder_); }

    testing::ProcessResult watch(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"watch", "--watch-file", list_.string(), "--history-file", db_.string()});
        return testing::runProcess(QUARNEL_CLI_PATH, arguments,
                                   {"http_proxy=" + server_.proxyUrl(), "no_proxy=", "NO_PROXY=", "HTTP_PROXY=",
                                    "PATH=" + folder_.string() + ":/usr/bin:/bin",
                                    "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent"});
    }

    std::vector<RunRecord> runsOf(const std::string& domain) {
        history::RunFilter filter;
        filter.domains = {domain};
        return history::SqliteHistory(db_).runs(filter).value();
    }

    fakeweb::Server server_;
    std::filesystem::path folder_;
    std::filesystem::path list_ = folder_ / "watch.txt";
    std::filesystem::path db_ = folder_ / "history.sqlite3";
};

TEST_F(WatchCommandTest, ChangesSinceTheLastCompleteRunArePrintedNotifiedAndFailuresRecorded) {
    RunRecord complete;
    complete.startedAt = std::chrono::sys_days{std::chrono::December / 1 / 2026};
    complete.domain = "example.com";
    complete.results = RunResults({"120", "340", "6,789", std::nullopt, "2026-11-30", "不在第一", "3", "pr真实"});
    RunRecord unreachable = complete;
    unreachable.startedAt += std::chrono::days{1};
    unreachable.fetchFailures = 8;
    unreachable.results = {};
    ASSERT_TRUE(history::SqliteHistory(db_).recordAll({complete, unreachable}));
    write(list_, "# my sites\nexample.com\r\ndown.cn\n");

    const auto first = watch({});

    EXPECT_EQ(first.exitCode, 1);
    const std::string changes =
        "example.com 今日收录 120 → 12 (-90.0%)\n"
        "example.com 所有日收录 无 → 10,000\n"
        "example.com site:首页 不在第一 → 首页第一\n"
        "example.com PR是否劫持 pr真实 → 可能是劫持thief.cn\n";
    EXPECT_EQ(first.out, changes);
    EXPECT_NE(first.err.find("无法连接服务器: http://www.baidu.com/s?wd=site%3Adown.cn&lm=1"), std::string::npos);
    EXPECT_EQ(contentsOf(folder_ / "notify-send.log"),
              "--app-name=Quarnel|--|Quarnel: example.com|今日收录 120 → 12 (-90.0%)\n所有日收录 无 → 10,000\n"
              "site:首页 不在第一 → 首页第一\nPR是否劫持 pr真实 → 可能是劫持thief.cn|");
    ASSERT_EQ(runsOf("example.com").size(), 3u);
    EXPECT_EQ(runsOf("example.com").back().results[Result::HijackVerdict], "可能是劫持thief.cn");
    ASSERT_EQ(runsOf("down.cn").size(), 1u);
    EXPECT_EQ(runsOf("down.cn").front().fetchFailures, 7);

    // Nothing of the failed run holds the next one back; nothing changed since.
    const auto second = watch({});
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_EQ(second.out, "");
    EXPECT_EQ(runsOf("down.cn").size(), 2u);
}

TEST_F(WatchCommandTest, BadListsAreToldAndEveryGoodLineIsStillWatched) {
    struct ListCase {
        const char* name;
        std::optional<std::string> list;
        int exitCode;
        std::vector<std::string> told;
        std::size_t runs;
    };
    const std::vector<ListCase> cases = {
        {"missing", std::nullopt, 2, {"no watch list", "quarnel-cli watch add"}, 0},
        {"empty", "", 0, {"no domain to watch", "quarnel-cli watch add"}, 0},
        {"bad lines", "\xff\xfe\n" + std::string(1 << 20, 'x') + "\r\n\nexample.com\r\n", 0,
         {"watch.txt:1: skipped, not UTF-8", "watch.txt:2: skipped, longer than"}, 1},
    };
    for (const ListCase& c : cases) {
        std::filesystem::remove(db_);
        std::filesystem::remove(list_);
        if (c.list) {
            write(list_, *c.list);
        }
        const auto result = watch({});
        EXPECT_EQ(result.exitCode, c.exitCode) << c.name << result.err;
        for (const std::string& told : c.told) {
            EXPECT_NE(result.err.find(told), std::string::npos) << c.name << result.err;
        }
        EXPECT_EQ(runsOf("example.com").size(), c.runs) << c.name;
    }
}

TEST_F(WatchCommandTest, AddRemoveAndListEditTheFileAndKeepItsComments) {
    write(list_, "# my sites\r\nold.cn\r\n");

    EXPECT_EQ(watch({"add", "example.com"}).exitCode, 0);
    EXPECT_EQ(watch({"add", "example.com"}).err, "example.com is already watched\n");
    EXPECT_EQ(watch({"add", "a#b.cn"}).exitCode, 2);
    EXPECT_EQ(watch({"remove", "old.cn"}).exitCode, 0);
    EXPECT_EQ(watch({"remove", "old.cn"}).exitCode, 1);
    EXPECT_EQ(watch({"list"}).out, "example.com\n");

    EXPECT_EQ(contentsOf(list_), "# my sites\r\nexample.com\r\n");
    EXPECT_TRUE(server_.requestLog().empty());
}

TEST_F(WatchCommandTest, ASecondRunWhileOneIsGoingSaysItIsBusyAndSendsNothing) {
    write(list_, "example.com\n");
    const int held = open((list_.string() + ".lock").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_EQ(flock(held, LOCK_EX), 0);

    const auto result = watch({});
    close(held);

    EXPECT_EQ(result.exitCode, 4);
    EXPECT_NE(result.err.find("busy"), std::string::npos) << result.err;
    EXPECT_TRUE(server_.requestLog().empty());
}

}  // namespace
}  // namespace quarnel
