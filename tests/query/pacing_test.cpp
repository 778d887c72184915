#include "query/pacing.h"

#include "controls/memory_control_model.h"
#include "fetch/http_page_fetcher.h"
#include "query/query_run.h"
#include "tests/support/classic_profile.h"
#include "tests/support/recording_message_box.h"
#include "tests/support/recording_waits.h"
#include "tests/support/sample_pages.h"
#include "tests/support/scripted_transport.h"

#include <gtest/gtest.h>

namespace quarnel {
namespace {

using namespace testing;
using std::chrono::milliseconds;

const std::string kSearch = "http://www.baidu.com/s?wd=site%3A";
const std::string kLookup = "http://pr.quarnel.example/querypr.asp?url=";
const std::string kVerification = "<html><title>百度安全验证</title><script src=\"https://wappass.baidu.com/v.js\"></script></html>";

// The classic rules with a pace, run domain after domain as a batch runs them: requests
// and waits go into one log, in the order they happen.
class PacingTest : public ::testing::Test {
protected:
    PacingTest() {
        transport.onRequest = [this](const std::string& url) { log.push_back("GET " + url); };
        waits.onWait = [this](const Wait& wait) {
            log.push_back((wait.why == Wait::For::Pace ? "pause " : "rest ") + std::to_string(wait.length.count()) + ' ' +
                          wait.url);
        };
    }

    void serve(const std::string& domain) {
        transport.serve(kSearch + domain + "&lm=1", countPage("12"));
        transport.serve(kSearch + domain + "&lm=7", countPage("345"));
        transport.serve(kSearch + domain + "&lm=30", countPage("6,789"));
        transport.serve(kSearch + domain, searchPage("10,000", domain, "2026-12-5"));
        transport.serve(kLookup + domain, pageRankPage("3", "ok"));
    }

    void query(const std::string& domain, PageFetcher& pages, BlockedAnswers* onBlocked = nullptr) {
        controls.setText(TextBox::Text3, domain);
        QueryRun(controls, {.profile = profile, .fetcher = pages, .clock = clock, .key = {}, .trace = &trace,
                            .onBlocked = onBlocked},
                 nullptr)
            .run();
    }

    rules::Profile profile = classic();
    ScriptedTransport transport;
    RecordingMessageBox messages;
    HttpPageFetcher fetcher{transport, messages};
    RecordingWaits waits;
    CountingPauses pauses;
    MemoryControlModel controls;
    FixedClock clock;
    RunTrace trace;
    std::vector<std::string> log;
};

// The first request of a batch and the first to each host go at once; every later one to
// a host already asked waits, also across the domains of the batch.
TEST_F(PacingTest, APauseComesBeforeEachRequestToAHostAlreadyAskedAndNoneBeforeANewHost) {
    profile.pace = {.shortest = milliseconds(2000), .longest = milliseconds(5000), .afterBlock = std::nullopt};
    serve("a.cn");
    serve("b.cn");
    PacedFetcher paced(fetcher, profile.pace, waits, pauses);
    query("a.cn", paced);
    query("b.cn", paced);

    const std::string a = kSearch + "a.cn";
    const std::string b = kSearch + "b.cn";
    const std::vector<std::string> expected = {
        "GET " + a + "&lm=1",
        "pause 2000 " + a + "&lm=7", "GET " + a + "&lm=7",
        "pause 2001 " + a + "&lm=30", "GET " + a + "&lm=30",
        "pause 2002 " + a, "GET " + a,
        "pause 2003 " + a, "GET " + a,
        "GET " + kLookup + "a.cn",
        "pause 2004 " + kLookup + "a.cn", "GET " + kLookup + "a.cn",
        "pause 2005 " + b + "&lm=1", "GET " + b + "&lm=1",
        "pause 2006 " + b + "&lm=7", "GET " + b + "&lm=7",
    };
    ASSERT_GE(log.size(), expected.size());
    EXPECT_EQ(std::vector(log.begin(), log.begin() + static_cast<std::ptrdiff_t>(expected.size())), expected);
    EXPECT_EQ(waits.waits.size(), 12u);
    EXPECT_EQ(pauses.bounds.front(), std::pair(milliseconds(2000), milliseconds(5000)));
    EXPECT_EQ(controls.caption(ResultLabel::Label13), "10,000");
}

TEST_F(PacingTest, WithoutAPaceNothingWaits) {
    serve("a.cn");
    PacedFetcher paced(fetcher, profile.pace, waits, pauses);
    query("a.cn", paced);

    EXPECT_EQ(transport.requests.size(), 7u);
    EXPECT_TRUE(waits.waits.empty());
}

// A blocked answer that is there again after the rest stops the batch: the run asks for
// nothing more, and neither does the next one.
TEST_F(PacingTest, ABlockedAnswerIsAskedAgainAfterTheRestAndASecondOneStopsTheBatch) {
    profile.pace.afterBlock = milliseconds(300000);
    serve("a.cn");
    serve("b.cn");
    const std::string a = kSearch + "a.cn";
    transport.script(a + "&lm=1", {kVerification, countPage("12")});
    transport.serve(a + "&lm=7", kVerification);
    BackOff backOff(*profile.pace.afterBlock, waits);
    query("a.cn", fetcher, &backOff);

    EXPECT_EQ(log, (std::vector<std::string>{"GET " + a + "&lm=1", "rest 300000 " + a + "&lm=1", "GET " + a + "&lm=1",
                                             "GET " + a + "&lm=7", "rest 300000 " + a + "&lm=7", "GET " + a + "&lm=7"}));
    EXPECT_TRUE(backOff.stopped());
    EXPECT_EQ(controls.caption(ResultLabel::Label4), "12");
    EXPECT_EQ(trace.blockedCount(), 1);
    EXPECT_EQ(trace.reasonFor(Result::WeekCount), "the page is blocked (百度安全验证)");
    EXPECT_EQ(trace.reasonFor(Result::MonthCount), "not asked: the batch stopped after a blocked answer");
    EXPECT_EQ(trace.reasonFor(Result::PageRank), "not asked: the batch stopped after a blocked answer");
    EXPECT_TRUE(messages.shown.empty());

    log.clear();
    query("b.cn", fetcher, &backOff);
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(trace.requests.empty());
}

TEST(RandomPauseDraw, DrawsWithinTheBoundsAndNotAlwaysTheSame) {
    RandomPauseDraw draw;
    std::set<long> drawn;
    for (int i = 0; i < 1000; ++i) {
        const milliseconds pause = draw.draw(milliseconds(2000), milliseconds(5000));
        ASSERT_GE(pause, milliseconds(2000));
        ASSERT_LE(pause, milliseconds(5000));
        drawn.insert(pause.count());
    }
    EXPECT_GT(drawn.size(), 100u);
    EXPECT_EQ(draw.draw(milliseconds(300), milliseconds(300)), milliseconds(300));
}

}  // namespace
}  // namespace quarnel
