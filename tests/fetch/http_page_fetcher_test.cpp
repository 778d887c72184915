#include "fetch/http_page_fetcher.h"
#include "fetch/curl_transport.h"
#include "fetch/service_urls.h"
#include "tests/support/recording_message_box.h"
#include "tests/support/sample_pages.h"
#include "tools/fake-web/fake_web_server.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>

namespace quarnel {
namespace {

using fakeweb::Reply;
using fakeweb::Route;

class HttpPageFetcherTest : public ::testing::Test {
protected:
    static constexpr const char* kHost = "svc.quarnel.example";
    static constexpr std::size_t kBodyLimit = 1024;

    static void SetUpTestSuite() {
        server_ = new fakeweb::Server({
            Route{kHost, "/good", Reply::Body, 200, fakeweb::toGbk("<p>百度一下，找到相关网页1篇</p>")},
            Route{kHost, "/missing", Reply::Body, 404, fakeweb::toGbk("<h1>找不到</h1>")},
            Route{kHost, "/empty", Reply::Body, 200, ""},
            Route{kHost, "/bad-byte", Reply::Body, 200, "\xD6\xD0\x81\x7F\xCE\xC4"},
            Route{kHost, "/drop", Reply::Drop},
            Route{kHost, "/stall", Reply::Stall},
            Route{kHost, "/endless", Reply::EndlessChunked},
            Route{kHost, "/loop", Reply::Redirect, 302, "", "/loop"},
            Route{kHost, "/moved", Reply::Redirect, 301, "", "/good"},
            Route{kHost, "/to-ftp", Reply::Redirect, 302, "", "ftp://127.0.0.1/file"},
            Route{kHost, "/cut-after-status", Reply::Raw, 200, "HTTP/1.1 200 OK\r\n"},
            Route{kHost, "/cut-mid-header", Reply::Raw, 200, "HTTP/1.1 200 OK\r\nContent-Type: text/ht"},
            Route{kHost, "/moved-then-cut", Reply::Redirect, 302, "", "/cut-mid-header"},
            Route{kHost, "/bare-lf", Reply::Raw, 200, "HTTP/1.1 200 OK\nContent-Length: 4\n\nabcd"},
            Route{kHost, "/bad-length", Reply::Raw, 200, "HTTP/1.1 200 OK\r\nContent-Length: 4x\r\n\r\nabcd"},
            Route{kHost, "/huge-length", Reply::Raw, 200,
                  "HTTP/1.1 200 OK\r\nContent-Length: 999999999999999999999999999999\r\n\r\nabcd"},
            Route{kHost, "/at-limit", Reply::Body, 200, std::string(kBodyLimit, 'x')},
            Route{kHost, "/over-limit", Reply::Body, 200, std::string(kBodyLimit + 1, 'x')},
            Route{kHost, "/oversized", Reply::Body, 200, std::string(4096, 'x')},
            Route{kHost, "/oversized-chunked", Reply::Raw, 200,
                  "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1000\r\n" + std::string(4096, 'x') +
                      "\r\n0\r\n\r\n"},
            Route{"www.baidu.com", "/s?*", Reply::Body, 200, fakeweb::toGbk(testing::countPage("1,234"))},
            Route{"pr.quarnel.example", "/querypr.asp?*", Reply::Body, 200,
                  fakeweb::toGbk(testing::pageRankPage("5", "正常"))},
        });
        server_->start();
        // Every outside host goes through the loopback stand-in; loopback itself is reached directly.
        ::setenv("http_proxy", server_->proxyUrl().c_str(), 1);
        ::setenv("no_proxy", "127.0.0.1", 1);
        ::unsetenv("NO_PROXY");
        ::unsetenv("HTTP_PROXY");
    }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
    }

    static std::string url(const std::string& path) { return std::string("http://") + kHost + path; }

    static inline fakeweb::Server* server_ = nullptr;
    testing::RecordingMessageBox messages;
};

TEST_F(HttpPageFetcherTest, CompleteResponsesAreDecodedWhateverTheirStatus) {
    FetchLimits limits;
    limits.maxBodyBytes = kBodyLimit;
    CurlTransport transport(limits);
    HttpPageFetcher fetcher(transport, messages);
    const std::pair<std::string, std::string> cases[] = {
        {"/good", "<p>百度一下，找到相关网页1篇</p>"},
        {"/missing", "<h1>找不到</h1>"},
        {"/empty", ""},
        {"/bad-byte", "中\uFFFD\x7F文"},
        {"/moved", "<p>百度一下，找到相关网页1篇</p>"},
        {"/bare-lf", "abcd"},
        {"/at-limit", std::string(kBodyLimit, 'x')},
    };
    for (const auto& [path, expected] : cases) {
        EXPECT_EQ(fetcher.getHTTPPage(url(path)).text, expected) << path;
    }
    EXPECT_TRUE(messages.shown.empty());
}

// Hands requests to libcurl, except one URL on which it gives up by throwing.
class ThrowingOnOneUrl final : public HttpTransport {
public:
    static constexpr const char* kUrl = "http://throws.quarnel.example/";

    explicit ThrowingOnOneUrl(HttpTransport& inner) : inner_(inner) {}

    Expected<HttpReply> fetch(const HttpRequest& request) override {
        if (request.url == kUrl) {
            throw std::runtime_error("transport gave up");
        }
        return inner_.fetch(request);
    }

private:
    HttpTransport& inner_;
};

TEST_F(HttpPageFetcherTest, RequestsThatDoNotCompleteCostOneMessageAndGiveEmptyText) {
    FetchLimits limits;
    limits.totalTimeout = std::chrono::milliseconds(1500);
    limits.maxBodyBytes = kBodyLimit;
    CurlTransport curl(limits);
    ThrowingOnOneUrl transport(curl);
    HttpPageFetcher fetcher(transport, messages);

    const std::vector<std::string> urls = {
        url("/drop"),
        url("/stall"),
        url("/endless"),
        url("/loop"),
        url("/to-ftp"),
        "http://has space.example/",
        url("/cut-after-status"),
        url("/cut-mid-header"),
        url("/moved-then-cut"),
        url("/bad-length"),
        url("/huge-length"),
        url("/over-limit"),
        url("/oversized"),
        url("/oversized-chunked"),
        ThrowingOnOneUrl::kUrl,
    };
    for (const std::string& failing : urls) {
        EXPECT_EQ(fetcher.getHTTPPage(failing).text, "") << failing;
    }
    ASSERT_EQ(messages.shown.size(), urls.size());
    for (std::size_t i = 0; i < urls.size(); ++i) {
        EXPECT_EQ(messages.shown[i], (testing::ShownMessage{"无法连接服务器", urls[i]}));
    }
    // The same connection cache serves on: no failure above spoils the next request.
    EXPECT_EQ(fetcher.getHTTPPage(url("/good")).text, "<p>百度一下，找到相关网页1篇</p>");
}

// Two query runs' worth of requests, to three hosts through the proxy, a redirect among them.
TEST_F(HttpPageFetcherTest, EveryCallIsItsOwnRequestAndAllShareOneConnection) {
    CurlTransport transport;
    HttpPageFetcher fetcher(transport, messages);
    const std::size_t requestsBefore = server_->requestLog().size();
    const std::size_t connectionsBefore = server_->acceptedConnections();
    std::vector<std::string> urls;
    for (const char* domain : {"example.com", "example.cn"}) {
        for (const std::string_view suffix : {kLastDaySuffix, kLastWeekSuffix, kLastMonthSuffix, kNoRestriction}) {
            urls.push_back(siteSearchUrl(domain, suffix));
        }
        const std::string pageRank = std::string("http://pr.quarnel.example/querypr.asp?url=") + domain;
        urls.insert(urls.end(), {siteSearchUrl(domain, kNoRestriction), pageRank, pageRank, pageRank, url("/moved")});
    }
    for (const std::string& page : urls) {
        EXPECT_NE(fetcher.getHTTPPage(page).text, "") << page;
    }
    const auto log = server_->requestLog();
    ASSERT_EQ(log.size(), requestsBefore + urls.size() + 2);  // each redirect is two requests
    EXPECT_EQ(log[requestsBefore], urls.front());
    EXPECT_EQ(server_->acceptedConnections(), connectionsBefore + 1);
    EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace quarnel
