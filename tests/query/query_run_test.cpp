#include "query/query_run.h"

#include "controls/memory_control_model.h"
#include "fetch/http_page_fetcher.h"
#include "tests/support/classic_profile.h"
#include "tests/support/recording_message_box.h"
#include "tests/support/sample_pages.h"
#include "tests/support/scripted_transport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include <unistd.h>

namespace quarnel {
namespace {

using namespace testing;  // the sample pages and the classic profile

const std::string kDomain = "example.com";
const std::string kDayUrl = "http://www.baidu.com/s?wd=site%3Aexample.com&lm=1";
const std::string kWeekUrl = "http://www.baidu.com/s?wd=site%3Aexample.com&lm=7";
const std::string kMonthUrl = "http://www.baidu.com/s?wd=site%3Aexample.com&lm=30";
const std::string kAllUrl = "http://www.baidu.com/s?wd=site%3Aexample.com";
const std::string kPageRankUrl = "http://pr.quarnel.example/querypr.asp?url=example.com";

class QueryRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::remove_all(folder_);
        controls.setText(TextBox::Text3, kDomain);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    void serveSite(const std::string& remarkPage) {
        transport.serve(kDayUrl, countPage("12"));
        transport.serve(kWeekUrl, countPage("345"));
        transport.serve(kMonthUrl, countPage("6,789"));
        transport.serve(kAllUrl, searchPage("10,000", kDomain, "2026-12-5"));
        transport.serve(kPageRankUrl, remarkPage);
    }

    void run() { QueryRun(controls, context(fetcher), &lastDomain).run(); }
    QueryContext context(PageFetcher& pages) {
        return {.profile = classic(), .fetcher = pages, .clock = clock, .key = {}, .trace = &trace};
    }

    const std::filesystem::path folder_ =
        std::filesystem::temp_directory_path() / ("quarnel-query-run-" + std::to_string(::getpid()));
    MemoryControlModel controls;
    testing::ScriptedTransport transport;
    testing::RecordingMessageBox messages;
    HttpPageFetcher fetcher{transport, messages};
    LastDomainFile lastDomain{folder_ / "state" / "dz.txt"};
    testing::FixedClock clock;
    RunTrace trace;
};

TEST_F(QueryRunTest, GenuinePageRankTakesSevenRequestsAndFillsEveryLabel) {
    serveSite(pageRankPage("3", "该网站PR值正常"));
    run();

    EXPECT_EQ(transport.requests,
              (std::vector<std::string>{kDayUrl, kWeekUrl, kMonthUrl, kAllUrl, kAllUrl, kPageRankUrl, kPageRankUrl}));
    const std::string captions[] = {"3", "pr真实", "12", "345", "首页第一", "2026-12-5", "6,789", "10,000"};
    for (std::size_t i = 0; i < kResultLabels.size(); ++i) {
        EXPECT_EQ(controls.caption(kResultLabels[i]), captions[i]);
    }
    EXPECT_EQ(controls.text(TextBox::Text1), testing::firstResultBlock(kDomain, "2026-12-5"));
    EXPECT_EQ(controls.text(TextBox::Text6), "该网站PR值正常");
    EXPECT_EQ(controls.timerInterval(), 500);
    EXPECT_TRUE(controls.timerEnabled());
    EXPECT_EQ(controls.submitCount(), 1u);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(lastDomain.read(), kDomain);
}

TEST_F(QueryRunTest, RemarkWithMaybeAsksAThirdTimeForTheHijacker) {
    serveSite(pageRankPage("5", "PR可能是劫持的", hijackLink(kDomain, "http://thief.example/")));
    run();

    EXPECT_EQ(transport.requests.size(), 8u);
    EXPECT_EQ(transport.requests.back(), kPageRankUrl);
    EXPECT_EQ(controls.caption(ResultLabel::Label2), "可能是劫持http://thief.example/");
}

TEST_F(QueryRunTest, HijackMarkerAndHomePageVerdictUseTheDomainExactlyAsTyped) {
    controls.setText(TextBox::Text3, "Example.com");
    const std::string base = "http://www.baidu.com/s?wd=site%3AExample.com";
    transport.serve(base, searchPage("1", kDomain, "x"));
    transport.serve("http://pr.quarnel.example/querypr.asp?url=Example.com",
                    pageRankPage("2", "可能", hijackLink(kDomain, "thief")));
    run();

    EXPECT_EQ(controls.caption(ResultLabel::Label9), "不在第一");
    EXPECT_EQ(controls.caption(ResultLabel::Label2), "查询中.");
}

// The lookup service is unreachable here: no remark replaces the link host in Text6.
// A block without the snapshot column leaves the caption alone: the classic rules have
// no text to show instead.
TEST_F(QueryRunTest, SnapshotAndLinkHostComeFromThisRunsBlock) {
    const std::string noColumn = "百度一下，找到相关网页1篇<table id=\"1\"><a onmousedown=\"return c({'fm':'as'})\" "
                                 "href=\"http://example.com/\">百度快照</a></table>";
    for (const auto& [page, shown] : {std::pair{searchPage("1", kDomain, ""), "没有快照"},
                                      {searchPage("1", kDomain, "cached today"), "cached today"},
                                      {noColumn, kQuerying}}) {
        MemoryControlModel fresh;
        fresh.setText(TextBox::Text3, kDomain);
        transport.serve(kAllUrl, page);
        QueryRun(fresh, context(fetcher), nullptr).run();
        EXPECT_EQ(fresh.caption(ResultLabel::Label11), shown) << page;
        EXPECT_EQ(fresh.text(TextBox::Text6), kDomain);
    }
}

// A failed cut must never let an earlier query's leftovers in Text1 or Text6 pass
// for this query's results.
TEST_F(QueryRunTest, VerdictsComeOnlyFromWhatThisRunCut) {
    serveSite(pageRankPage("3", "PR可能是劫持的", hijackLink(kDomain, "thief")));
    run();
    ASSERT_EQ(controls.caption(ResultLabel::Label9), "首页第一");

    // Second query: the search page has no first result and the lookup page no remark.
    transport.serve(kAllUrl, countPage("10"));
    transport.serve(kPageRankUrl, "<html>cn/pagerank4.gif</html>");
    transport.requests.clear();
    run();

    EXPECT_EQ(controls.text(TextBox::Text1), testing::firstResultBlock(kDomain, "2026-12-5"));
    EXPECT_EQ(controls.text(TextBox::Text6), "PR可能是劫持的");
    EXPECT_EQ(controls.caption(ResultLabel::Label11), "查询中.");
    EXPECT_EQ(controls.caption(ResultLabel::Label9), "查询中.");
    EXPECT_EQ(controls.caption(ResultLabel::Label1), "4");
    EXPECT_EQ(controls.caption(ResultLabel::Label2), "查询中.");
    EXPECT_EQ(transport.requests.size(), 7u) << "no third lookup without this run's remark";
}

TEST_F(QueryRunTest, UnreachableServicesCostOneMessageEachAndTheDomainIsStillSavedAfterTheLastFetch) {
    std::size_t fetchesWithFileSaved = 0;
    transport.onRequest = [&](const std::string&) {
        fetchesWithFileSaved += std::filesystem::exists(lastDomain.path());
    };
    run();

    ASSERT_EQ(messages.shown.size(), 7u);
    for (std::size_t i = 0; i < messages.shown.size(); ++i) {
        EXPECT_EQ(messages.shown[i], (testing::ShownMessage{"无法连接服务器", transport.requests[i]}));
    }
    for (const ResultLabel label : kResultLabels) {
        EXPECT_EQ(controls.caption(label), "查询中.");
    }
    EXPECT_EQ(controls.text(TextBox::Text1), "Text1");
    EXPECT_EQ(controls.text(TextBox::Text6), "Text6");
    EXPECT_EQ(fetchesWithFileSaved, 0u);
    EXPECT_EQ(lastDomain.read(), kDomain);
}

// A verification page names it near its top; a result page may mention the same address
// far below, in a result, and is no block.
TEST_F(QueryRunTest, ABlockedMarkerCountsWhenItStartsInThePagesFirst64KiB) {
    constexpr std::size_t kHead = 64 * 1024;
    for (const auto& [at, blocked] : {std::pair<std::size_t, bool>{0, true}, {kHead - 4, true}, {kHead + 1000, false}}) {
        transport.serve(kDayUrl, std::string(at, ' ') + "wappass.baidu.com" + countPage("12"));
        run();
        ASSERT_FALSE(trace.requests.empty());
        EXPECT_EQ(trace.requests.front().blocked, blocked) << "the marker at byte " << at;
    }
}

TEST_F(QueryRunTest, DomainIsEncodedInUrlsButSavedAsTyped) {
    const std::string typed = " a b&lm=1#x/中%26";  // a typed escape stays text too
    controls.setText(TextBox::Text3, typed);
    run();

    const std::string encoded = "%20a%20b%26lm%3D1%23x/%E4%B8%AD%2526";
    EXPECT_EQ(transport.requests.front(), "http://www.baidu.com/s?wd=site%3A" + encoded + "&lm=1");
    EXPECT_EQ(transport.requests.back(), "http://pr.quarnel.example/querypr.asp?url=" + encoded);
    EXPECT_EQ(lastDomain.read(), typed);
}

// Says the same to every blocked answer, and notes which were put to it.
class FixedBlockedAnswers final : public BlockedAnswers {
public:
    explicit FixedBlockedAnswers(bool again) : again_(again) {}
    bool askAgain(const std::string& page, const std::string& url) override {
        asked.push_back(page + " " + url);
        return again_;
    }
    void blockedAgain(const std::string& page, const std::string& url) override {
        blockedAgainToo.push_back(page + " " + url);
    }
    std::vector<std::string> asked;
    std::vector<std::string> blockedAgainToo;

private:
    bool again_;
};

// A verification page passed in between gives the day count; one that is still there on
// the second asking leaves the week count blocked, and is told as blocked again.
TEST_F(QueryRunTest, ABlockedAnswerIsAskedOnceMoreOnlyWhenTheHandlerSaysSo) {
    const std::string verification = "<html><script src=\"https://wappass.baidu.com/v.js\"></script></html>";
    for (const bool again : {true, false}) {
        serveSite(pageRankPage("3", "ok"));
        transport.script(kDayUrl, {verification, countPage("12")});
        transport.serve(kWeekUrl, verification);
        transport.requests.clear();
        FixedBlockedAnswers answers(again);
        QueryContext blockedContext = context(fetcher);
        blockedContext.onBlocked = &answers;
        QueryRun(controls, blockedContext, nullptr).run();

        EXPECT_EQ(answers.asked, (std::vector<std::string>{"search-day " + kDayUrl, "search-week " + kWeekUrl})) << again;
        EXPECT_EQ(controls.caption(ResultLabel::Label4), again ? "12" : "查询中.");
        EXPECT_EQ(controls.caption(ResultLabel::Label5), "查询中.");
        EXPECT_EQ(transport.requests.size(), again ? 9u : 7u);
        // An answer asked for once more gave way to the later one.
        EXPECT_EQ(trace.blockedCount(), again ? 1 : 2);
        EXPECT_EQ(answers.blockedAgainToo, again ? std::vector<std::string>{"search-week " + kWeekUrl}
                                                 : std::vector<std::string>{});
    }
}

// Controls that fail on some operations, as a window may when a control is gone.
class BrokenControls final : public ControlModel {
public:
    std::string caption(ResultLabel label) const override { return inner.caption(label); }
    void setCaption(ResultLabel label, const std::string& caption) override {
        if (label == ResultLabel::Label4) {
            throw std::runtime_error("Label4 is gone");
        }
        inner.setCaption(label, caption);
    }
    std::string text(TextBox box) const override { return inner.text(box); }
    void setText(TextBox box, const std::string& text) override { inner.setText(box, text); }
    void setTimerInterval(int) override { throw std::runtime_error("no timer"); }
    void setTimerEnabled(bool enabled) override { inner.setTimerEnabled(enabled); }
    void navigate(BrowserPanel panel, const std::string& url) override { inner.navigate(panel, url); }
    void submitCheckPage() override { throw std::runtime_error("no document"); }

    MemoryControlModel inner;
};

class ThrowingFetcher final : public PageFetcher {
public:
    explicit ThrowingFetcher(PageFetcher& inner) : inner_(inner) {}
    FetchedPage getHTTPPage(const PageRequest& request) override {
        if (request.url == kWeekUrl) {
            throw std::runtime_error("fetch blew up");
        }
        return inner_.getHTTPPage(request);
    }

private:
    PageFetcher& inner_;
};

TEST_F(QueryRunTest, FailingStatementsAreSkippedAndTheRunGoesOn) {
    serveSite(pageRankPage("3", "ok"));
    BrokenControls broken;
    broken.setText(TextBox::Text3, kDomain);
    ThrowingFetcher throwing(fetcher);
    QueryRun(broken, context(throwing), &lastDomain).run();

    EXPECT_EQ(broken.inner.caption(ResultLabel::Label4), "等待查询");
    EXPECT_EQ(broken.inner.caption(ResultLabel::Label5), "查询中.");
    EXPECT_EQ(broken.inner.caption(ResultLabel::Label12), "6,789");
    EXPECT_EQ(broken.inner.caption(ResultLabel::Label2), "pr真实");
    EXPECT_TRUE(broken.inner.timerEnabled());
    EXPECT_EQ(lastDomain.read(), kDomain);
}

}  // namespace
}  // namespace quarnel
