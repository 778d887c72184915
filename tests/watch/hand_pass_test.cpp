#include "watch/hand_pass.h"
#include "history/sqlite_history.h"
#include "tests/support/site_runs.h"
#include "watch/run_lock.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <sstream>

namespace quarnel::watch {
namespace {

using namespace std::chrono_literals;

// Notes what the pass shows, in order.
struct NotedProgress final : PassProgress {
    void querying(const BatchPlace& place) override {
        noted.push_back(std::to_string(place.number) + "/" + std::to_string(place.total) + " " + place.domain);
    }
    void waiting(Wait::For /*why*/, std::chrono::seconds left) override {
        noted.push_back("wait " + std::to_string(left.count()));
    }
    void recorded(const std::string& domain) override { noted.push_back("recorded " + domain); }
    std::vector<std::string> noted;
};

// Goes on at once; the `cancelAt`th wait (from 1) is where the user presses cancel.
struct NotedWaits final : Waits {
    void wait(const Wait& wait) override {
        slept.push_back(wait.length);
        if (slept.size() == cancelAt) {
            cancel();
        }
    }
    std::vector<std::chrono::milliseconds> slept;
    std::size_t cancelAt = 0;
    std::function<void()> cancel;
};

struct NoNotifier final : Notifier {
    void notify(const std::string&, const std::string&) noexcept override {}
};

// A query that waits 2.5 s before its request, as a paced one does, and makes none once
// the pass is cancelled: its run then misses every service.
struct PacedSite final : SiteQuery {
    RunRecord query(const BatchPlace& place) override {
        lockHeld.push_back(RunLock(runLockPath(list), RunLock::Wait::No).state() == RunLock::State::Busy);
        pass->waits().wait({Wait::For::Pace, 2500ms, "https://www.baidu.com/s?wd=site%3A" + place.domain});
        return {.domain = place.domain, .fetchFailures = pass->cancelled() ? 7 : 0, .results = RunResults({"12"})};
    }
    std::filesystem::path list;
    HandPass* pass = nullptr;
    std::vector<bool> lockHeld;
};

class HandPassTest : public ::testing::Test {
protected:
    HandPassTest() { std::filesystem::create_directories(folder_); }
    ~HandPassTest() override { std::filesystem::remove_all(folder_); }

    std::filesystem::path folder_ =
        std::filesystem::temp_directory_path() / ("quarnel-hand-pass-" + std::to_string(::getpid()) + "-" +
                                                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::path list_ = folder_ / "watch.txt";
    history::SqliteHistory history_{folder_ / "history.sqlite3"};
    NoNotifier notifier_;
    NotedWaits waits_;
    NotedProgress progress_;
    PacedSite site_;
    HandPass pass_{history_, history_, notifier_, waits_, progress_};

    HandPass::Ended run(const std::vector<std::string>& domains) {
        site_.list = list_;
        site_.pass = &pass_;
        waits_.cancel = [this] { pass_.cancel(); };
        std::ostringstream out, err;
        return pass_.run(site_, list_, domains, out, err);
    }
};

TEST_F(HandPassTest, ProgressComesInOrderAndTheLockIsHeldThroughoutThenLetGo) {
    EXPECT_EQ(run({"a.cn", "b.cn"}), HandPass::Ended::Done);

    EXPECT_EQ(progress_.noted, (std::vector<std::string>{"1/2 a.cn", "wait 3", "wait 2", "wait 1", "recorded a.cn",
                                                         "2/2 b.cn", "wait 3", "wait 2", "wait 1", "recorded b.cn"}));
    EXPECT_EQ(waits_.slept, (std::vector<std::chrono::milliseconds>{500ms, 1s, 1s, 500ms, 1s, 1s}));
    EXPECT_EQ(testing::recordedDomains(history_), (std::vector<std::string>{"a.cn", "b.cn"}));
    EXPECT_EQ(site_.lockHeld, (std::vector<bool>{true, true}));
    EXPECT_EQ(RunLock(runLockPath(list_), RunLock::Wait::No).state(), RunLock::State::Held);
}

TEST_F(HandPassTest, CancelInAWaitStopsBeforeTheNextDomainAndKeepsNothingOfTheCutRun) {
    waits_.cancelAt = 4;  // in b.cn's first second

    EXPECT_EQ(run({"a.cn", "b.cn", "c.cn"}), HandPass::Ended::Cancelled);

    EXPECT_EQ(progress_.noted, (std::vector<std::string>{"1/3 a.cn", "wait 3", "wait 2", "wait 1", "recorded a.cn",
                                                         "2/3 b.cn", "wait 3"}));
    EXPECT_EQ(testing::recordedDomains(history_), std::vector<std::string>{"a.cn"});
    EXPECT_EQ(site_.lockHeld.size(), 2u);  // c.cn was never asked for
    EXPECT_EQ(RunLock(runLockPath(list_), RunLock::Wait::No).state(), RunLock::State::Held);
}

TEST_F(HandPassTest, WhileAnotherPassHoldsTheListNothingIsQueried) {
    const RunLock other(runLockPath(list_), RunLock::Wait::No);
    ASSERT_EQ(other.state(), RunLock::State::Held);

    EXPECT_EQ(run({"a.cn"}), HandPass::Ended::Busy);

    EXPECT_TRUE(progress_.noted.empty());
    EXPECT_TRUE(site_.lockHeld.empty());
    EXPECT_TRUE(testing::recordedDomains(history_).empty());
}

}  // namespace
}  // namespace quarnel::watch
