// quarnel-browser itself, started as quarnel-cli starts it, against fake-web's gates over
// HTTPS: what libcurl cannot get through and the browser engine can, the cookies it shares
// through the jar, and the proxies and authorities it takes from the user's environment.
#include "fetch/browser_process_transport.h"
#include "fetch/cookie_jar.h"
#include "fetch/curl_transport.h"
#include "tests/support/test_authority.h"
#include "tools/fake-web/fake_web_server.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>

namespace quarnel {
namespace {

namespace fs = std::filesystem;
using fakeweb::Gate;

constexpr const char* kResults =
    "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>百度一下</title></head>"
    "<body><p>找到相关结果约1,234个</p></body></html>";
const std::string kSearch = "https://www.baidu.com/s?wd=site%3Aexample.com";

class QuarnelBrowserTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        fs::remove_all(folder_);
        authority_ = testing::makeTestAuthority(folder_ / "ca", {"www.baidu.com"});
        testing::trustInBrowserStore(home_, authority_);
        testing::startAsProxy(server_, authority_);
        ::setenv("HOME", home_.c_str(), 1);
        ::setenv("CURL_CA_BUNDLE", authority_.certificate.c_str(), 1);
        ::setenv("no_proxy", "", 1);
    }
    static void TearDownTestSuite() {
        server_.stop();
        fs::remove_all(folder_);
    }
    void SetUp() override {
        ::setenv("https_proxy", server_.proxyUrl().c_str(), 1);
        fs::remove(jar_);
    }

    static HttpRequest get(const std::string& path, const std::string& host = "www.baidu.com") {
        return {.url = "https://" + host + path,
                .headers = {"Accept-Language: zh-CN,zh;q=0.9"},
                .keepCookies = true,
                .transport = TransportKind::Browser};
    }

    // The Cookie field of the first request for `path` since `from` in the server's log.
    static std::string cookiesSentFor(const std::string& path, std::size_t from) {
        const auto log = server_.requestLog();
        const auto found =
            std::find(log.begin() + static_cast<std::ptrdiff_t>(from), log.end(), "https://www.baidu.com" + path);
        return found == log.end() ? "<not asked>" : server_.cookieLog()[static_cast<std::size_t>(found - log.begin())];
    }

    static inline const fs::path folder_ =
        fs::temp_directory_path() / ("quarnel-browser-helper-" + std::to_string(::getpid()));
    static inline const fs::path home_ = folder_ / "home";
    static inline const fs::path jar_ = folder_ / "cookies.txt";
    static inline testing::TestAuthority authority_;
    static fakeweb::Route gated(const char* target, Gate gate) {
        return {.host = "www.baidu.com", .target = target, .body = kResults,
                .contentType = "text/html; charset=utf-8", .gate = gate};
    }
    static inline fakeweb::Server server_{{gated("/fingerprint", Gate::Fingerprint), gated("/script", Gate::Script)}};
};

TEST_F(QuarnelBrowserTest, TheBrowserEngineGetsThroughTheGatesThatStopLibcurl) {
    BrowserProcessTransport browser(QUARNEL_BROWSER_PROGRAM, {"--cookie-file", jar_.string()});
    CurlTransport curl;
    for (const std::string path : {"/fingerprint", "/script"}) {
        SCOPED_TRACE(path);
        const Expected<HttpReply> byCurl = curl.fetch(get(path));
        ASSERT_TRUE(byCurl.ok()) << byCurl.reason();
        EXPECT_EQ(byCurl->body.find("找到相关结果约1,234个"), std::string::npos) << byCurl->body;

        const Expected<HttpReply> byBrowser = browser.fetch(get(path));
        ASSERT_TRUE(byBrowser.ok()) << byBrowser.reason();
        EXPECT_NE(byBrowser->body.find("找到相关结果约1,234个"), std::string::npos) << byBrowser->body;
        EXPECT_EQ(byBrowser->status, 200);
    }
}

// The cookie the script gate's page set is in the jar once the batch is done, and the
// next batch's engine sends it with its first request, before any script ran.
TEST_F(QuarnelBrowserTest, CookiesAPageSetAreInTheJarForTheNextBatch) {
    {
        BrowserProcessTransport browser(QUARNEL_BROWSER_PROGRAM, {"--cookie-file", jar_.string()});
        ASSERT_TRUE(browser.fetch(get("/script")).ok());
    }
    const Expected<std::vector<Cookie>> saved = CookieJar(jar_).load();
    ASSERT_TRUE(saved.ok()) << saved.reason();
    EXPECT_TRUE(std::any_of(saved->begin(), saved->end(), [](const Cookie& cookie) {
        return cookie.name + "=" + cookie.value == fakeweb::kScriptCookie && cookie.domain.ends_with("www.baidu.com");
    }));

    const std::size_t before = server_.requestLog().size();
    BrowserProcessTransport next(QUARNEL_BROWSER_PROGRAM, {"--cookie-file", jar_.string()});
    ASSERT_TRUE(next.fetch(get("/script")).ok());
    EXPECT_EQ(cookiesSentFor("/script", before), fakeweb::kScriptCookie);
}

// As libcurl: https_proxy carries HTTPS, http_proxy alone does not (the host asked for
// then never resolves, so nothing leaves the machine); and only an authority in the
// user's NSS store is trusted, whatever CURL_CA_BUNDLE says.
TEST_F(QuarnelBrowserTest, ProxiesAndAuthoritiesComeFromTheUsersEnvironment) {
    const fs::path strangerHome = folder_ / "stranger";
    fs::create_directories(strangerHome);
    const struct {
        const char* name;
        const char* httpsProxy;  // nullptr: unset
        const char* host;
        fs::path home;
        std::string failure;  // empty: the page comes
    } cases[] = {
        {"https_proxy", "proxy", "www.baidu.com", home_, ""},
        {"http_proxy alone", nullptr, "www.quarnel.invalid", home_, "net::ERR_NAME_NOT_RESOLVED"},
        {"an authority the user does not trust", "proxy", "www.baidu.com", strangerHome,
         "net::ERR_CERT_AUTHORITY_INVALID"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.httpsProxy != nullptr ? ::setenv("https_proxy", server_.proxyUrl().c_str(), 1) : ::unsetenv("https_proxy");
        ::setenv("HOME", c.home.c_str(), 1);
        BrowserProcessTransport browser(QUARNEL_BROWSER_PROGRAM, {});
        const Expected<HttpReply> reply = browser.fetch(get("/script", c.host));
        ::setenv("HOME", home_.c_str(), 1);
        if (c.failure.empty()) {
            EXPECT_TRUE(reply.ok()) << reply.reason();
        } else {
            ASSERT_FALSE(reply.ok());
            EXPECT_TRUE(reply.reason().starts_with(c.failure)) << reply.reason();
        }
    }
}

}  // namespace
}  // namespace quarnel
