#include "history/sqlite_history.h"
#include "tests/support/child_process.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <future>

namespace quarnel {
namespace {

// The real program, for what only a process shows: its exit status, its standard input,
// a file size limit, two of it at once. Every fetch fails at once on a closed port, so
// the runs are quick and still recorded.
class QuarnelCliTest : public ::testing::Test {
protected:
    ~QuarnelCliTest() override { std::filesystem::remove_all(history_.parent_path()); }

    testing::ProcessResult batch(const std::string& domains, std::vector<std::string> wrapper = {}) {
        wrapper.insert(wrapper.end(), {QUARNEL_CLI_PATH, "--history-file", history_.string(), "-"});
        const std::string program = wrapper.front();
        return testing::runProcess(program, {wrapper.begin() + 1, wrapper.end()},
                                   {"http_proxy=http://127.0.0.1:9", "no_proxy=", "NO_PROXY=", "HTTP_PROXY="}, domains);
    }

    std::filesystem::path history_ =
        std::filesystem::temp_directory_path() / ("quarnel-cli-" + std::to_string(::getpid())) / "history.sqlite3";
};

TEST_F(QuarnelCliTest, FullDiskIsAFailedRecordNotAFailedFetch) {
    ASSERT_TRUE(history::SqliteHistory(history_).record({}).ok());
    std::signal(SIGXFSZ, SIG_IGN);  // the file size limit then fails the write instead of killing

    const auto result = batch("example.com\n", {"/usr/bin/prlimit", "--fsize=4096"});

    EXPECT_EQ(result.exitCode, 3);
    EXPECT_TRUE(result.out.starts_with("http://example.com\n")) << result.out;
    EXPECT_NE(result.err.find("\nhistory: " + history_.string() + ": "), std::string::npos) << result.err;
    EXPECT_EQ(history::SqliteHistory(history_).runs({})->size(), 1u);
}

TEST_F(QuarnelCliTest, TwoBatchesRecordingAtOnceLoseNoRun) {
    std::string domains;
    for (int i = 0; i < 500; ++i) {
        domains += "site" + std::to_string(i) + ".cn\n";
    }
    auto first = std::async(std::launch::async, [&] { return batch(domains); });
    auto second = std::async(std::launch::async, [&] { return batch(domains); });
    EXPECT_EQ(first.get().exitCode, 1);
    EXPECT_EQ(second.get().exitCode, 1);

    EXPECT_EQ(history::SqliteHistory(history_).runs({})->size(), 1000u);
}

}  // namespace
}  // namespace quarnel
