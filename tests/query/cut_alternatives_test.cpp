// A value written as several ways to it, tried in order, on pages the test makes up.
#include "rules/profile_reader.h"
#include "tests/support/query_once.h"
#include "tests/support/scripted_transport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace quarnel {
namespace {

// The count: between markers, else from an XPath, else "0" on a page that was had. The
// first result shows a text of its own, and the snapshot is cut inside the block all the
// same; `otherwise` is the older way of writing a last way with a text alone.
constexpr const char* kWays = R"(name = "ways"
[pages.p]
url = "http://s.example/?q={domain}"
encoding = "gbk"

[[day_count]]
page = "p"
markers = ["共有", "个"]

[[day_count]]
xpath = "//b[@id = 'n']"
finish = "number"

[[day_count]]
show = "0"

[first_result]
page = "p"
xpath = "//div[@id = 'r']"
show = "有结果"

[snapshot]
xpath = "//i"
finish = "date"
otherwise = "没有快照"

[[blocked]]
contains = "安全验证"
)";

TEST(CutAlternatives, TheFirstWayThatGivesAValueWinsAndTheTraceSaysWhich) {
    const Expected<rules::Profile> profile = rules::readProfile(kWays, "ways.toml");
    ASSERT_TRUE(profile) << profile.reason();
    const struct {
        const char* page;
        const char* count;     // "" for none
        const char* countWay;  // the start of the count's rule in the trace, or its reason
        const char* firstResult;
        const char* snapshot;
    } rows[] = {
        {"<html>共有12个<div id='r'><i>2020-1-2</i></div></html>", "12", "p: alternative 1 of 3, markers", "有结果", "2020-1-2"},
        {"<html><b id='n'>共34个</b><div id='r'>无日期</div></html>", "34", "p: alternative 2 of 3, xpath", "有结果", "没有快照"},
        {"<html>空</html>", "0", "p: alternative 3 of 3, show «0»", "", ""},
        {"<html><title>安全验证</title><b id='x'></b></html>", "", "the page is blocked (安全验证)", "", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.page);
        testing::ScriptedTransport transport;
        transport.serve("http://s.example/?q=example.com", row.page);
        const auto [controls, trace, messages] = testing::queryOnce(*profile, transport, "example.com");

        EXPECT_EQ(controls.caption(ResultLabel::Label4), *row.count ? row.count : kQuerying);
        const auto count = std::ranges::find(trace.values, "day_count", &ValueTrace::name);
        ASSERT_NE(count, trace.values.end());
        EXPECT_TRUE((count->value ? count->rule : count->reason).starts_with(row.countWay))
            << count->rule << " / " << count->reason;
        // Each way passed over is told with what it found.
        if (std::string(row.countWay).starts_with("p: alternative 2")) {
            EXPECT_NE(formatTrace(trace).find("    passed over p: alternative 1 of 3, markers «共有» «个»: first marker not "
                                              "found; the first marker is not on the page\n"),
                      std::string::npos)
                << formatTrace(trace);
        }
        EXPECT_EQ(controls.text(TextBox::Text1), *row.firstResult ? row.firstResult : "Text1");
        EXPECT_EQ(controls.caption(ResultLabel::Label11), *row.snapshot ? row.snapshot : kQuerying);
    }
}

}  // namespace
}  // namespace quarnel
