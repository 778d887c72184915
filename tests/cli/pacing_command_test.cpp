#include "rules/profile_reader.h"
#include "tests/cli/command_line_fixture.h"

namespace quarnel::testing {
namespace {

const std::string kBlockedDay = "http://www.baidu.com/s?wd=site%3Ablocked.cn&lm=1 (百度安全验证)\n";
const std::string kClassicHint = "the current profile reads today's pages (--profile current)";
const std::string kRewrite = "\r\x1b[K";

// The classic rules under a name of their own, with the pace of the current ones.
class PacingCommandTest : public CommandLineTest {
protected:
    PacingCommandTest() {
        std::string toml = rules::loadProfile("classic", {}).value().toml;
        toml.replace(toml.find("name = \"classic\""), 16, "name = \"paced\"");
        std::ofstream(paced_) << toml << "\n[pace]\nbetween = [2, 5]\nafter_block = 300\n";
    }

    std::string waited() const {
        std::string waits;
        for (const Wait& wait : waits_.waits) {
            waits += (wait.why == Wait::For::Pace ? " pause " : " rest ") + std::to_string(wait.length.count());
        }
        return waits;
    }

    const std::string paced_ = (folder_ / "paced.toml").string();
};

// No pause before the batch's first request nor before the first to the lookup host; one
// before each later request to a host asked already, across domains. blocked.cn is still
// blocked after the rest: the batch asks nothing more and names what it did not query.
TEST_F(PacingCommandTest, ABatchPausesBetweenRequestsToOneHostAndStopsAtAnAnswerStillBlocked) {
    const auto result = run({"--profile", paced_, "--no-history", "example.com", "blocked.cn", "a.cn", "b.cn"});

    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(waited(), " pause 2000 pause 2001 pause 2002 pause 2003 pause 2004 pause 2005 pause 2006 rest 300000 pause 2007");
    EXPECT_EQ(pauses_.bounds, std::pair(std::chrono::milliseconds(2000), std::chrono::milliseconds(5000)));
    const auto log = server_.requestLog();
    ASSERT_EQ(log.size(), 8u + 2u);  // example.com's eight, then blocked.cn's day search twice
    EXPECT_EQ(log[8] + log[9], "http://www.baidu.com/s?wd=site%3Ablocked.cn&lm=1http://www.baidu.com/s?wd=site%3Ablocked.cn&lm=1");
    EXPECT_EQ(count(result.out, "http://"), 2u);
    EXPECT_TRUE(result.err.ends_with("blocked, asked again after a rest: " + kBlockedDay + "blocked: " + kBlockedDay +
                                     "  blocked.cn: 在 Quarnel 窗口中查询一次该域名以完成验证（quarnel --profile " +
                                     paced_ + "）\nnot queried: a.cn (blocked)\nnot queried: b.cn (blocked)\n"))
        << result.err;
    EXPECT_EQ(result.err.find('\r'), std::string::npos) << "no wait line off a terminal";
}

// On a terminal each wait is counted down on one line of standard error.
TEST_F(PacingCommandTest, OnATerminalEachWaitIsCountedDownOnOneLine) {
    const std::string err = run({"--profile", paced_, "--no-history", "example.com", "blocked.cn"}, "", true).err;

    EXPECT_TRUE(err.starts_with(kRewrite + "[1/2] example.com: 等待 2 s" + kRewrite + "[1/2] example.com: 等待 1 s" +
                                kRewrite + kRewrite + "[1/2] example.com: 等待 3 s"))
        << err;
    EXPECT_NE(err.find(kRewrite + "[2/2] blocked.cn: 被拦截，等待 300 s 后再问一次" + kRewrite), std::string::npos);
    EXPECT_EQ(waits_.waits[2].length, std::chrono::milliseconds(1));  // 2.001 s: the part of a second first
}

// The classic rules met with a verification page point to today's rules, once per run
// however many of its requests were blocked.
TEST_F(PacingCommandTest, TheClassicRulesHintAtTheCurrentOnesOncePerBlockedRun) {
    const auto result = run({"--no-history", "blocked.cn", "example.com", "blocked.cn"});

    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(count(result.err, "blocked: "), 10u) << result.err;
    EXPECT_EQ(count(result.err, kClassicHint), 2u);
    EXPECT_NE(result.err.find("site%3Ablocked.cn (百度安全验证)\n  the classic rules"), std::string::npos) << result.err;
}

// A stopped watch pass records the domains it did not reach; the history shows the gap.
TEST_F(PacingCommandTest, AStoppedWatchPassRecordsTheDomainsItDidNotReach) {
    std::ofstream(list_) << "blocked.cn\nexample.com\n";

    const auto result = watch({"--profile", paced_});

    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("not queried: example.com (blocked)\n"), std::string::npos) << result.err;
    EXPECT_NE(run({"history", "--json", "example.com"}).out.find(R"("not_queried":"blocked","requests":[]})"), std::string::npos);
    EXPECT_NE(run({"history", "example.com"}).out.find("\texample.com\t未查询\t未查询\t"), std::string::npos);
}

}  // namespace
}  // namespace quarnel::testing
