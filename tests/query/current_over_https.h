#pragma once

#include "fetch/curl_transport.h"
#include "rules/profile_reader.h"
#include "tests/support/query_once.h"
#include "tests/support/test_authority.h"
#include "tools/fake-web/fake_web_server.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace quarnel::testing {

inline const rules::Profile& current() {
    static const rules::Profile profile = std::move(rules::loadProfile("current", {})).value().profile;
    return profile;
}

// What a result page gives under the current rules.
struct CurrentReading {
    const char* file;
    const char* count;  // "" for none
    bool blocked;
    const char* host;      // the first organic result's; "" for none
    const char* snapshot;  // "" for none
    // Where the unlimited search reads another count than the searches limited in time.
    const char* allTimeCount = nullptr;
};

// One query by the current rules, as a user's query meets a page: each search answered
// with it by fake-web over HTTPS, through libcurl and the program's decoding.
struct PageRun : QueryOutcome {
    std::vector<std::string> requested;
};

class CurrentOverHttps {
public:
    explicit CurrentOverHttps(std::filesystem::path folder)
        : folder_(std::move(folder)), authority_(makeTestAuthority(folder_, {"www.baidu.com"})) {
        ::setenv("CURL_CA_BUNDLE", authority_.certificate.c_str(), 1);
    }
    ~CurrentOverHttps() {
        ::unsetenv("https_proxy");
        ::unsetenv("http_proxy");
        ::unsetenv("CURL_CA_BUNDLE");
        std::filesystem::remove_all(folder_);
    }
    CurrentOverHttps(const CurrentOverHttps&) = delete;
    CurrentOverHttps& operator=(const CurrentOverHttps&) = delete;

    // `body` as it goes over the wire, sent as text/html with no charset.
    PageRun run(std::string body, const std::string& domain) {
        fakeweb::Server server({fakeweb::Route{
            .host = "www.baidu.com", .target = "/s?*", .body = std::move(body), .contentType = "text/html"}});
        startAsProxy(server, authority_);
        PageRun run;
        {
            CurlTransport transport;
            static_cast<QueryOutcome&>(run) = queryOnce(current(), transport, domain, {}, clock);
        }
        server.stop();
        run.requested = server.requestLog();
        return run;
    }

    FixedClock clock;

private:
    std::filesystem::path folder_;
    TestAuthority authority_;
};

// Answers every request with `answer`, and keeps what was asked.
struct Answering final : HttpTransport {
    explicit Answering(std::string answer) : answer(std::move(answer)) {}
    Expected<HttpReply> fetch(const HttpRequest& request) override {
        requests.push_back(request);
        return HttpReply{200, "text/html", answer};
    }
    std::string answer;
    std::vector<HttpRequest> requests;
};

inline std::string shown(const MemoryControlModel& controls, ResultLabel label) {
    const std::string caption = controls.caption(label);
    return caption == kQuerying ? "" : caption;
}

// What every page is checked for. The domain asked about is the host the page's first
// result shows, so its home-page verdict says whether the rules found that host.
inline void expectReads(const PageRun& run, const CurrentReading& page) {
    EXPECT_EQ(run.messages, 0u);
    EXPECT_EQ(run.requested.size(), 4u) << "four searches; the first result comes from the last";
    for (const ResultLabel label : {ResultLabel::Label4, ResultLabel::Label5, ResultLabel::Label12}) {
        EXPECT_EQ(shown(run.controls, label), page.count);
    }
    EXPECT_EQ(shown(run.controls, ResultLabel::Label13), page.allTimeCount != nullptr ? page.allTimeCount : page.count);
    EXPECT_EQ(run.trace.blockedCount(), page.blocked ? 4 : 0);
    EXPECT_EQ(shown(run.controls, ResultLabel::Label9), *page.host ? "首页第一" : "");
    EXPECT_EQ(shown(run.controls, ResultLabel::Label11), page.snapshot);
    for (const ValueTrace& value : run.trace.values) {
        const std::string text = value.value.value_or("");
        EXPECT_TRUE(text.find('<') == std::string::npos && text.find("\uFFFD") == std::string::npos)
            << value.name << " holds markup or U+FFFD: " << text;
    }
    if (!*page.count && !page.blocked) {
        EXPECT_EQ(run.trace.reasonFor(Result::DayCount), "no count on the page");
    }
}

}  // namespace quarnel::testing
