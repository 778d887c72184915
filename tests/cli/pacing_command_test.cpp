#include "history/sqlite_history.h"
#include "rules/profile_reader.h"
#include "tests/cli/command_line_fixture.h"

namespace quarnel::testing {
namespace {

const std::string kSearch = "http://www.baidu.com/s?wd=site%3A";
const std::string kTitled = "(百度安全验证)\n";
const std::string kInWindow = "在 Quarnel 窗口中查询一次该域名以完成验证";
const std::string kClassicHint = "the current profile reads today's pages (--profile current)";
constexpr const char* kRewrite = "\r\x1b[K";

// The classic rules with a pace and a name of their own, and blocked.cn answered with
// the verification page on every search.
class PacingCommandTest : public CommandLineTest {
protected:
    PacingCommandTest() {
        std::string toml = rules::loadProfile("classic", {}).value().toml;
        toml.replace(toml.find("name = \"classic\""), 16, "name = \"paced\"");
        std::ofstream(paced_) << toml << "\n[pace]\nbetween = [2, 5]\nafter_block = 300\n";
    }

    // Each wait as "pause 2000" or "rest 300000".
    std::vector<std::string> waited() const {
        std::vector<std::string> waits;
        for (const Wait& wait : waits_.waits) {
            waits.push_back((wait.why == Wait::For::Pace ? "pause " : "rest ") + std::to_string(wait.length.count()));
        }
        return waits;
    }

    std::vector<std::string> requestsFor(const std::string& domain) const {
        std::vector<std::string> asked;
        for (const std::string& url : server_.requestLog()) {
            if (url.find("%3A" + domain) != std::string::npos || url.ends_with("=" + domain)) {
                asked.push_back(url);
            }
        }
        return asked;
    }

    const std::string paced_ = (folder_ / "paced.toml").string();
};

// blocked.cn is blocked even after the rest: the batch stops there, names the domains
// it did not query, asks nothing more, and ends with status 1.
TEST_F(PacingCommandTest, ABatchStopsAtAnAnswerStillBlockedAfterTheRest) {
    const auto result = run({"--profile", paced_, "--no-history", "example.com", "blocked.cn", "a.cn", "b.cn"});

    EXPECT_EQ(result.status, 1);
    // example.com: none before the batch's first request nor the first to the lookup host.
    EXPECT_EQ(waited(), (std::vector<std::string>{"pause 2000", "pause 2001", "pause 2002", "pause 2003", "pause 2004",
                                                  "pause 2005", "pause 2006", "rest 300000", "pause 2007"}));
    EXPECT_EQ(requestsFor("blocked.cn"), std::vector<std::string>(2, kSearch + "blocked.cn&lm=1"));
    EXPECT_TRUE(requestsFor("a.cn").empty() && requestsFor("b.cn").empty());
    EXPECT_TRUE(result.out.starts_with("http://example.com\n  今日收录：12\n")) << result.out;
    EXPECT_NE(result.out.find("http://blocked.cn\n"), std::string::npos);
    EXPECT_EQ(count(result.out, "http://"), 2u);
    const std::string blockedDay = kSearch + "blocked.cn&lm=1 " + kTitled;
    EXPECT_TRUE(result.err.ends_with("blocked, asked again after a rest: " + blockedDay + "blocked: " + blockedDay +
                                     "  blocked.cn: " + kInWindow + "（quarnel --profile " + paced_ + "）\n" +
                                     "not queried: a.cn (blocked)\nnot queried: b.cn (blocked)\n"))
        << result.err;
    EXPECT_EQ(result.err.find('\r'), std::string::npos) << "no wait line off a terminal";
}

// On a terminal the wait in progress is one line of standard error, counted down in place.
TEST_F(PacingCommandTest, OnATerminalEachWaitIsCountedDownOnOneLine) {
    const auto result = run({"--profile", paced_, "--no-history", "example.com", "blocked.cn"}, "", true);

    const std::string firstPause = std::string(kRewrite) + "[1/2] example.com: 等待 2 s" + kRewrite +
                                   "[1/2] example.com: 等待 1 s" + kRewrite;
    EXPECT_TRUE(result.err.starts_with(firstPause)) << result.err;
    EXPECT_NE(result.err.find(std::string(kRewrite) + "[2/2] blocked.cn: 被拦截，等待 300 s 后再问一次" + kRewrite),
              std::string::npos);
    EXPECT_NE(result.err.find("[2/2] blocked.cn: 被拦截，等待 1 s 后再问一次" + std::string(kRewrite) + kRewrite),
              std::string::npos);
    // Passed on a second at a time, the part of a second first: 2.000 s, then five pauses
    // of 2.001 s and more for example.com; one, the rest and one more for blocked.cn.
    EXPECT_EQ(waits_.waits.size(), 2u + 5 * 3u + 3u + 300u + 3u);
    EXPECT_EQ(waits_.waits[2].length, std::chrono::milliseconds(1));
}

// The classic rules met with a verification page point to today's rules, once per run
// however many of its requests were blocked.
TEST_F(PacingCommandTest, TheClassicRulesHintAtTheCurrentOnesOncePerBlockedRun) {
    const auto result = run({"--no-history", "blocked.cn", "example.com", "blocked.cn"});

    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(count(result.err, "blocked: "), 10u) << result.err;
    EXPECT_EQ(count(result.err, kClassicHint), 2u);
    EXPECT_EQ(count(result.err, kInWindow), 0u);
    EXPECT_NE(result.err.find(kSearch + "blocked.cn " + kTitled + "  the classic rules"), std::string::npos)
        << result.err;
    EXPECT_TRUE(waits_.waits.empty());
}

// A watch pass that stops records the domains after the blocked one, so that the history
// shows the gap and no change is ever computed against them.
TEST_F(PacingCommandTest, AStoppedWatchPassRecordsTheDomainsItDidNotReach) {
    std::ofstream(list_) << "blocked.cn\nexample.com\n";

    const auto result = watch({"--profile", paced_});

    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("not queried: example.com (blocked)\n"), std::string::npos) << result.err;
    EXPECT_TRUE(requestsFor("example.com").empty());
    const auto history = run({"history", "--json", "example.com"});
    EXPECT_NE(history.out.find(R"("not_queried":"blocked"})"), std::string::npos) << history.out;
    EXPECT_NE(run({"history", "example.com"}).out.find("\texample.com\t未查询\t未查询\t"), std::string::npos);
    EXPECT_NE(run({"history", "--json", "blocked.cn"}).out.find(R"("blocked":1,)"), std::string::npos);
}

}  // namespace
}  // namespace quarnel::testing
