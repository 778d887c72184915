#include "controls/memory_control_model.h"
#include "fetch/curl_transport.h"
#include "fetch/http_page_fetcher.h"
#include "query/query_run.h"
#include "tests/support/classic_profile.h"
#include "tests/support/recording_message_box.h"
#include "tests/support/test_authority.h"
#include "tools/fake-web/fake_web_server.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace quarnel {
namespace {

namespace fs = std::filesystem;

const fs::path kPages = QUARNEL_REALPAGES_DIR;

std::string pageBytes(const std::string& name) {
    std::ifstream in(kPages / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

const rules::Profile& current() {
    static const rules::Profile profile = std::move(rules::loadProfile("current", {})).value().profile;
    return profile;
}

// What each saved result page gives: the count, whether it is no result page at all,
// the first organic result's host, and its snapshot column.
struct RealPage {
    const char* file;
    const char* count;  // "" for none
    bool blocked;
    const char* host;      // "" for none
    const char* snapshot;  // "" for none
};

const RealPage kRealPages[] = {
    {"baidu_2008-06-19_ordinary_gb2312_wayback.html", "21", false, "seinse.net.cn", "2008-4-21"},
    {"baidu_2013-06-25_tn-baidufir_search-within-results_wayback.html", "", false, "", ""},
    {"baidu_2015-10-14_site-huawei.com_tn-baidulocal.html", "760", false, "xinsheng.huawei.com", "2015-10-9"},
    {"baidu_2018-03-27_https-to-http-redirect-stub_wayback.html", "", true, "", ""},
    {"baidu_2018-09-18_ordinary_wayback.html", "16", false, "www.yuezi668.com", "没有快照"},
    {"baidu_2019-10-02_ordinary_wayback.html", "32", false, "", "2014年8月28日"},
    {"baidu_2020-06-13_captcha-security-check.html", "", true, "", ""},
    {"baidu_2020-08-18_ordinary_count-72900000.html", "72,900,000", false, "www.python.org", "没有快照"},
    {"baidu_2020-08-20_ordinary_count-2.html", "2", false, "ggzy.jiangxi.gov.cn", "没有快照"},
    {"baidu_2020-08-27_ordinary_count-0_no-results.html", "0", false, "", ""},
    {"baidu_2020-10-08_ordinary_count-1.html", "1", false, "", ""},
    {"baidu_2021-05-10_ordinary_hello.html", "100,000,000", false, "www.iciba.com", "没有快照"},
    {"baidu_2022-12-10_ordinary_no-snapshot-link.html", "100,000,000", false, "news.china.com", "没有快照"},
};

std::string shown(const MemoryControlModel& controls, ResultLabel label) {
    const std::string caption = controls.caption(label);
    return caption == kQuerying ? "" : caption;
}

class RealPagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(kPages)) {
            GTEST_SKIP() << "no saved pages at " << kPages;
        }
    }
    void TearDown() override { fs::remove_all(folder_); }

    // One query of `domain` by `profile`, every request going to `transport`.
    MemoryControlModel run(const rules::Profile& profile, HttpTransport& transport, const std::string& domain,
                           const std::string& key = {}) {
        testing::RecordingMessageBox messages;
        HttpPageFetcher fetcher(transport, messages);
        MemoryControlModel controls;
        controls.setText(TextBox::Text3, domain);
        const QueryContext context{.profile = profile, .fetcher = fetcher, .clock = clock, .key = key, .trace = &trace};
        QueryRun(controls, context, nullptr).run();
        shownMessages = messages.shown.size();
        return controls;
    }

    // Answers every request with `answer`.
    struct Answering final : HttpTransport {
        std::string answer;
        std::vector<HttpRequest> requests;
        Expected<HttpReply> fetch(const HttpRequest& request) override {
            requests.push_back(request);
            return HttpReply{200, "text/html", answer};
        }
    };

    const fs::path folder_ = fs::temp_directory_path() / ("quarnel-real-pages-" + std::to_string(::getpid()));
    testing::FixedClock clock;
    RunTrace trace;
    std::size_t shownMessages = 0;
};

// Each page over HTTPS through fake-web, answering every search of the run, the domain
// being the host the page's first result shows: its home-page verdict then says whether
// the rules found that host.
TEST_F(RealPagesTest, CurrentRulesReadEveryPageAsItPrintsIt) {
    const testing::TestAuthority authority = testing::makeTestAuthority(folder_, {"www.baidu.com"});
    ::setenv("CURL_CA_BUNDLE", authority.certificate.c_str(), 1);
    for (const RealPage& page : kRealPages) {
        SCOPED_TRACE(page.file);
        fakeweb::Server server({fakeweb::Route{.host = "www.baidu.com",
                                               .target = "/s?*",
                                               .body = pageBytes(page.file),
                                               .contentType = "text/html"}});
        server.serveTls(authority.serverCertificate, authority.serverKey);
        server.start();
        ::setenv("https_proxy", server.proxyUrl().c_str(), 1);
        CurlTransport transport;
        const MemoryControlModel controls = run(current(), transport, *page.host ? page.host : "example.com");
        server.stop();

        EXPECT_EQ(shownMessages, 0u);
        EXPECT_EQ(server.requestLog().size(), 4u) << "four searches; the first result comes from the last";
        for (const ResultLabel label : {ResultLabel::Label4, ResultLabel::Label5, ResultLabel::Label12,
                                        ResultLabel::Label13}) {
            EXPECT_EQ(shown(controls, label), page.count);
        }
        EXPECT_EQ(trace.blockedCount(), page.blocked ? 4 : 0);
        EXPECT_EQ(shown(controls, ResultLabel::Label9), *page.host ? "首页第一" : "");
        EXPECT_EQ(shown(controls, ResultLabel::Label11), page.snapshot);
        for (const ValueTrace& value : trace.values) {
            const std::string text = value.value.value_or("");
            EXPECT_TRUE(text.find('<') == std::string::npos && text.find("\uFFFD") == std::string::npos)
                << value.name << " holds markup or U+FFFD: " << text;
        }
        if (!*page.count && !page.blocked) {
            EXPECT_EQ(trace.reasonFor(Result::DayCount), "no count on the page");
        }
    }
    ::unsetenv("https_proxy");
    ::unsetenv("CURL_CA_BUNDLE");
}

// The rules the program always had find a count on the 2008 page alone, and tell the
// verification page and the stub apart from pages that merely lack their markers.
TEST_F(RealPagesTest, ClassicRulesFindTheirMarkersOnlyOnThe2008PageAndTellBlockedPages) {
    for (const RealPage& page : kRealPages) {
        SCOPED_TRACE(page.file);
        Answering transport;
        transport.answer = pageBytes(page.file);
        const MemoryControlModel controls = run(testing::classic(), transport, "example.com");
        EXPECT_EQ(shown(controls, ResultLabel::Label4), std::string(page.file).starts_with("baidu_2008") ? "21" : "");
        EXPECT_EQ(trace.blockedCount() > 0, page.blocked);
    }
}

// Open PageRank answers in JSON; its key goes in a header, and without one nothing is asked.
TEST_F(RealPagesTest, PageRankComesFromOpenPageRanksJsonOnlyWithAKey) {
    const std::string good = R"({"status_code":200,"response":[{"status_code":200,"page_rank_decimal":4.56}]})";
    const struct {
        const char* name;
        std::string key;
        std::string answer;
        const char* pageRank;  // "" for none
        const char* reason;
    } cases[] = {
        {"with a key", "K3Y", good, "4.56", ""},
        {"refused", "K3Y", R"({"status_code":401,"error":"bad key"})", "", "the service answered status_code 401"},
        {"no response", "K3Y", R"({"status_code":200})", "", "no /response/0/page_rank_decimal in the answer"},
        {"not a number", "K3Y", R"({"status_code":200,"response":[{"page_rank_decimal":"n/a"}]})", "", "not a number"},
        {"no key", "", good, "", "no key"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Answering transport;
        transport.answer = c.answer;
        const MemoryControlModel controls = run(current(), transport, "example.com", c.key);

        EXPECT_EQ(shown(controls, ResultLabel::Label1), c.pageRank);
        EXPECT_NE(trace.reasonFor(Result::PageRank).find(c.reason), std::string::npos) << trace.reasonFor(Result::PageRank);
        const auto asked = std::count_if(transport.requests.begin(), transport.requests.end(),
                                         [](const HttpRequest& r) { return r.url.find("openpagerank") != std::string::npos; });
        EXPECT_EQ(asked, c.key.empty() ? 0 : 1);
        if (asked == 1) {
            EXPECT_EQ(transport.requests.back().url, "https://openpagerank.com/api/v1.0/getPageRank?domains%5B0%5D=example.com");
            EXPECT_EQ(transport.requests.back().headers, std::vector<std::string>{"API-OPR: K3Y"});
        }
        EXPECT_EQ(formatTrace(trace).find("K3Y"), std::string::npos) << "the key never shows in the trace";
    }
}

}  // namespace
}  // namespace quarnel
