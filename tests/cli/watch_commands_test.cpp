#include "history/sqlite_history.h"
#include "tests/cli/command_line_fixture.h"
#include "watch/run_lock.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace quarnel::testing {
namespace {

void write(const std::filesystem::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

using WatchCommandsTest = CommandLineTest;

TEST_F(WatchCommandsTest, ChangesArePrintedAndReachTheDesktopThroughNotifySend) {
    write(folder_ / "notify-send", "#!/bin/sh\nfor a in \"$@\"; do printf '%s|' \"$a\"; done >>\"$0.log\"\n");
    std::filesystem::permissions(folder_ / "notify-send", std::filesystem::perms::owner_all);
    ::setenv("PATH", (folder_.string() + ":/usr/bin:/bin").c_str(), 1);
    ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent", 1);
    ASSERT_TRUE(history::SqliteHistory(history_).record(
        {.domain = "example.com",
         .results = RunResults({"120", "345", "6,789", "10,000", "2026-11-30", "首页第一", "3", "可能是劫持thief.cn"})}).ok());
    write(list_, "example.com\n");

    const auto result = watch({});

    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "example.com 今日收录 120 → 12 (-90.0%)\n");
    EXPECT_EQ(bytesOf(folder_ / "notify-send.log"), "--app-name=Quarnel|--|Quarnel: example.com|今日收录 120 → 12 (-90.0%)|");
}

TEST_F(WatchCommandsTest, BadListsAreToldAndEveryGoodLineIsStillWatched) {
    struct ListCase {
        const char* name;
        std::optional<std::string> list;
        int status;
        std::vector<std::string> told;
        std::size_t runs;
    };
    const std::vector<ListCase> cases = {
        {"missing", std::nullopt, 2, {"no watch list", "quarnel-cli watch add"}, 0},
        {"empty", "", 0, {"no domain to watch", "quarnel-cli watch add"}, 0},
        {"bad lines", "\xEF\xBB\xBF" "\xff\xfe\n" + std::string(1 << 20, 'x') + "\r\n\nexample.com\r\n", 0,
         {"watch.txt:1: skipped, not UTF-8", "watch.txt:2: skipped, longer than"}, 1},
    };
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(history_);
        std::filesystem::remove_all(list_);
        if (c.list) {
            write(list_, *c.list);
        }
        const auto result = watch({});
        EXPECT_EQ(result.status, c.status) << result.err;
        for (const std::string& told : c.told) {
            EXPECT_NE(result.err.find(told), std::string::npos) << result.err;
        }
        EXPECT_EQ(std::filesystem::exists(history_) ? history::SqliteHistory(history_).runs({})->size() : 0, c.runs);
    }
}

TEST_F(WatchCommandsTest, AddRemoveAndListEditTheFileAndKeepItsCommentsAndLineEnds) {
    write(list_, "\xEF\xBB\xBF" "# my sites\r\n#\n\nold.cn\r\nlast.cn");
    const std::string thousand(1000, 'x');
    const std::vector<std::pair<std::vector<std::string>, int>> edits = {
        {{"add", "example.com"}, 0}, {{"add", "example.com"}, 0}, {{"add", "a#b.cn"}, 2}, {{"add", ""}, 2},
        {{"add", thousand}, 0},      {{"remove", ""}, 2},         {{"remove", "old.cn"}, 0}, {{"remove", "old.cn"}, 1},
    };
    for (const auto& [arguments, status] : edits) {
        EXPECT_EQ(watch(arguments).status, status) << arguments.front() << ' ' << arguments.back();
    }
    EXPECT_EQ(watch({"add", "example.com"}).err, "example.com is already watched\n");
    EXPECT_EQ(watch({"remove", ""}).err, "quarnel-cli watch: cannot remove '': empty\n");
    EXPECT_EQ(watch({"list"}).out, "last.cn\nexample.com\n" + thousand + '\n');

    EXPECT_EQ(bytesOf(list_), "\xEF\xBB\xBF" "# my sites\r\n#\n\nlast.cn\r\nexample.com\r\n" + thousand + "\r\n");
    EXPECT_TRUE(server_.requestLog().empty());
}

TEST_F(WatchCommandsTest, ASecondPassWhileOneIsGoingSaysItIsBusyAndSendsNothing) {
    write(list_, "example.com\n");
    const watch::RunLock held(watch::runLockPath(list_), watch::RunLock::Wait::No);
    ASSERT_EQ(held.state(), watch::RunLock::State::Held);

    const auto result = watch({});

    EXPECT_EQ(result.status, 4);
    EXPECT_NE(result.err.find("busy"), std::string::npos) << result.err;
    EXPECT_TRUE(server_.requestLog().empty());
}

// The writers are programs started afresh, not forks of this process: a fork made while
// the fixture's server threads run may hang on a lock one of them held.
TEST_F(WatchCommandsTest, AddsFromTwoProcessesAtOnceAllLand) {
    int start[2];
    ASSERT_EQ(::pipe2(start, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, start[0], STDIN_FILENO);
    std::vector<pid_t> writers;
    for (const char* prefix : {"a", "b"}) {
        std::vector<std::string> arguments = {QUARNEL_WATCH_ADDER, list_.string(), prefix, "50"};
        std::vector<char*> argv;
        for (std::string& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        pid_t writer = -1;
        if (::posix_spawn(&writer, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
            writers.push_back(writer);
        }
    }
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(start[0]);
    ::close(start[1]);  // both writers begin now
    ASSERT_EQ(writers.size(), 2u);
    for (const pid_t writer : writers) {
        int status = -1;
        ::waitpid(writer, &status, 0);
        EXPECT_EQ(status, 0) << "adds failed: " << (WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    }
    EXPECT_EQ(count(watch({"list"}).out, "\n"), 100u);
}

}  // namespace
}  // namespace quarnel::testing
