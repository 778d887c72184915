#include "fetch/curl_transport.h"
#include "fetch/http_page_fetcher.h"
#include "fetch/service_urls.h"
#include "tests/support/recording_message_box.h"
#include "tests/support/sample_pages.h"
#include "tests/support/scripted_transport.h"
#include "tests/support/test_authority.h"
#include "tools/fake-web/fake_web_server.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace quarnel {
namespace {

namespace fs = std::filesystem;
using fakeweb::Reply;
using fakeweb::Route;

void setOrUnset(const char* name, const std::string& value) {
    value.empty() ? ::unsetenv(name) : ::setenv(name, value.c_str(), 1);
}

// fake-web as the http_proxy and https_proxy of every request, answering for made-up service
// hosts, and as www.baidu.com with a certificate from an authority made for the run.
class HttpFetcherTest : public ::testing::Test {
protected:
    static constexpr const char* kHost = "svc.quarnel.example";
    static constexpr const char* kSearchUrl = "https://www.baidu.com/s?wd=site%3Aexample.com";
    static constexpr std::size_t kBodyLimit = 1024;

    static void SetUpTestSuite() {
        fs::remove_all(folder_);
        trusted_ = testing::makeTestAuthority(folder_ / "ca", {"www.baidu.com"});
        other_ = testing::makeTestAuthority(folder_ / "other-ca", {"www.baidu.com"}).certificate;
        testing::startAsProxy(server_, trusted_);
    }
    static void TearDownTestSuite() {
        server_.stop();
        fs::remove_all(folder_);
    }
    void SetUp() override {
        ::setenv("CURL_CA_BUNDLE", trusted_.certificate.c_str(), 1);
        for (const char* name : {"SSL_CERT_FILE", "HTTPS_PROXY", "HTTP_PROXY", "no_proxy", "NO_PROXY"}) {
            ::unsetenv(name);
        }
    }

    static std::string url(const std::string& path) { return std::string("http://") + kHost + path; }

    static inline const fs::path folder_ = fs::temp_directory_path() / ("quarnel-https-" + std::to_string(::getpid()));
    static inline testing::TestAuthority trusted_;
    static inline fs::path other_;
    static inline fakeweb::Server server_{{
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
        Route{
            kHost, "/oversized-chunked", Reply::Raw, 200,
            "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1000\r\n" + std::string(4096, 'x') + "\r\n0\r\n\r\n"},
        Route{"www.baidu.com", "/s?*", Reply::Body, 200, fakeweb::toGbk(testing::countPage("1,234"))},
        Route{"pr.quarnel.example", "/querypr.asp?*", Reply::Body, 200,
              fakeweb::toGbk(testing::pageRankPage("5", "正常"))},
        Route{.host = "www.baidu.com", .target = "/login", .setCookie = "BAIDUID=B1; Max-Age=3600; Path=/; Secure"},
        Route{.host = "www.baidu.com", .target = "/session", .setCookie = "BDSVRTM=S; Path=/"},
        Route{.host = "www.baidu.com", .target = "/next"},
        Route{.host = "127.0.0.1", .target = "/where", .body = "proxy"},
    }};
    testing::RecordingMessageBox messages;
};

TEST_F(HttpFetcherTest, CompleteResponsesAreDecodedWhateverTheirStatusAndTheRestCostOneMessage) {
    CurlTransport transport({.totalTimeout = std::chrono::milliseconds(1500), .maxBodyBytes = kBodyLimit});
    HttpPageFetcher fetcher(transport, messages);
    const std::pair<std::string, std::string> cases[] = {
        {"/good", "<p>百度一下，找到相关网页1篇</p>"},
        {"/missing", "<h1>找不到</h1>"},
        {"/empty", ""},
        {"/bad-byte", "中\uFFFD\x7F文"},
        {"/bare-lf", "abcd"},
        {"/at-limit", std::string(kBodyLimit, 'x')},
    };
    for (const auto& [path, expected] : cases) {
        const FetchedPage page = fetcher.getHTTPPage(url(path));
        EXPECT_EQ(page.text, expected) << path;
        EXPECT_EQ(page.servedBy, "curl") << path;
    }
    EXPECT_TRUE(messages.shown.empty());

    // Requests that do not complete give empty text.
    std::vector<std::string> urls = {"http://has space.example/"};
    for (const char* path : {"/drop", "/stall", "/endless", "/loop", "/to-ftp", "/cut-after-status", "/cut-mid-header",
                             "/moved-then-cut", "/bad-length", "/huge-length", "/over-limit", "/oversized-chunked"}) {
        urls.push_back(url(path));
    }
    for (const std::string& failing : urls) {
        EXPECT_EQ(fetcher.getHTTPPage(failing).text, "") << failing;
    }
    testing::ScriptedTransport throwing;  // a transport that gives up by throwing
    throwing.onRequest = [](const std::string&) { throw std::runtime_error("transport gave up"); };
    urls.push_back(url("/good"));
    EXPECT_EQ(HttpPageFetcher(throwing, messages).getHTTPPage(urls.back()).text, "");
    ASSERT_EQ(messages.shown.size(), urls.size());
    for (std::size_t i = 0; i < urls.size(); ++i) {
        EXPECT_EQ(messages.shown[i], (testing::ShownMessage{"无法连接服务器", urls[i]}));
    }
    // The same connection cache serves on: no failure above spoils the next request.
    EXPECT_EQ(fetcher.getHTTPPage(url("/good")).text, "<p>百度一下，找到相关网页1篇</p>");
}

// The engine's document comes as UTF-8 text; a page the profile reads as GB2312 is still read as that text.
TEST_F(HttpFetcherTest, WhatTheBrowserEngineHandsBackIsReadAsUtf8WhateverTheProfileSays) {
    struct BrowserEngine final : HttpTransport {
        Expected<HttpReply> fetch(const HttpRequest&) override {
            return HttpReply{.status = 200, .contentType = "", .body = "<p>找到相关结果约1,234个\xff</p>",
                             .servedBy = std::string(kServedByBrowser)};
        }
    } engine;
    PageRequest request(url("/good"));
    request.charset = "gb2312";
    const FetchedPage page = HttpPageFetcher(engine, messages).getHTTPPage(request);
    EXPECT_EQ(page.text, "<p>找到相关结果约1,234个\uFFFD</p>");
    EXPECT_EQ(page.charset, "utf-8");
    EXPECT_EQ(page.why, "the browser engine's text");
}

// Two query runs' worth of requests, to three hosts through the proxy, a redirect followed among them.
TEST_F(HttpFetcherTest, EveryCallIsItsOwnRequestAndAllShareOneConnection) {
    CurlTransport transport;
    HttpPageFetcher fetcher(transport, messages);
    const std::size_t requestsBefore = server_.requestLog().size();
    const std::size_t connectionsBefore = server_.acceptedConnections();
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
    const auto log = server_.requestLog();
    ASSERT_EQ(log.size(), requestsBefore + urls.size() + 2);  // each redirect is two requests
    EXPECT_EQ(log[requestsBefore], urls.front());
    EXPECT_EQ(server_.acceptedConnections(), connectionsBefore + 1);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(HttpFetcherTest, PagesArriveOnlyFromACertificateThatChainsToTheNamedAuthority) {
    const std::tuple<const char*, std::string, std::string, bool> cases[] = {
        {"CURL_CA_BUNDLE", trusted_.certificate, "", true},
        {"SSL_CERT_FILE", "", trusted_.certificate, true},
        {"CURL_CA_BUNDLE before SSL_CERT_FILE", other_, trusted_.certificate, false},
        {"the system's authorities alone", "", "", false},
    };
    for (const auto& [name, curlCaBundle, sslCertFile, arrives] : cases) {
        SCOPED_TRACE(name);
        setOrUnset("CURL_CA_BUNDLE", curlCaBundle);
        setOrUnset("SSL_CERT_FILE", sslCertFile);
        CurlTransport transport;
        const Expected<HttpReply> reply = transport.fetch({.url = kSearchUrl, .headers = {}});
        ASSERT_EQ(reply.ok(), arrives);
        if (arrives) {
            EXPECT_EQ(std::make_tuple(reply->status, reply->contentType, reply->body),
                      std::make_tuple(200L, "text/html; charset=gb2312", fakeweb::toGbk(testing::countPage("1,234"))));
            EXPECT_EQ(server_.requestLog().back(), kSearchUrl);
        } else {
            EXPECT_NE(reply.reason().find("certificate"), std::string::npos) << reply.reason();
        }
        testing::RecordingMessageBox caseMessages;
        HttpPageFetcher(transport, caseMessages).getHTTPPage(std::string(kSearchUrl));
        EXPECT_EQ(caseMessages.shown.size(), arrives ? 0u : 1u);
    }
}

TEST_F(HttpFetcherTest, HostsListedInNoProxyAreReachedDirectly) {
    fakeweb::Server direct({Route{.host = "*", .target = "/where", .body = "direct"}});
    direct.start();
    const std::string url = "http://127.0.0.1:" + std::to_string(direct.port()) + "/where";
    for (const auto& [noProxy, answeredBy] :
         {std::pair{"", "proxy"}, std::pair{"example.com,127.0.0.1", "direct"}, std::pair{"*", "direct"}}) {
        ::setenv("no_proxy", noProxy, 1);
        const Expected<HttpReply> reply = CurlTransport().fetch({.url = url, .headers = {}});
        EXPECT_EQ(reply ? reply->body : reply.reason(), answeredBy) << noProxy;
    }
}

TEST_F(HttpFetcherTest, CookiesComeBackOnTheNextRequestAndTheNextRun) {
    const auto cookieSent = [](CurlTransport& transport, const char* path) {
        EXPECT_TRUE(transport.fetch({.url = std::string("https://www.baidu.com") + path, .headers = {}}).ok());
        return server_.cookieLog().back();
    };
    CurlTransport withoutCookies;
    cookieSent(withoutCookies, "/login");
    EXPECT_EQ(cookieSent(withoutCookies, "/next"), "");

    // The window passes a verification while the first run goes on: neither's cookies are
    // lost, and those that last the session last into the next run.
    const fs::path cookieFile = folder_ / "state" / "quarnel" / "cookies.txt";
    {
        CookieJar window(cookieFile);
        ASSERT_TRUE(window.load().ok());
        CurlTransport firstRun({}, cookieFile);
        EXPECT_EQ(cookieSent(firstRun, "/login"), "");
        ASSERT_TRUE(window.save({{.domain = ".baidu.com", .includeSubdomains = true, .name = "PASSED", .value = "1"}}).ok());
        EXPECT_EQ(cookieSent(firstRun, "/session"), "BAIDUID=B1");
        EXPECT_FALSE(firstRun.cookieSaveFailure());
    }
    CurlTransport nextRun({}, cookieFile);
    const std::string sent = cookieSent(nextRun, "/next");
    for (const char* cookie : {"BAIDUID=B1", "BDSVRTM=S", "PASSED=1"}) {
        EXPECT_NE(sent.find(cookie), std::string::npos) << sent;
    }

    CurlTransport cannotSave({}, trusted_.certificate / "cookies.txt");
    cookieSent(cannotSave, "/login");  // the page still arrives
    EXPECT_TRUE(cannotSave.cookieSaveFailure());
}

}  // namespace
}  // namespace quarnel
