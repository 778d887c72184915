#include "fetch/curl_transport.h"
#include "fetch/http_page_fetcher.h"
#include "tests/support/recording_message_box.h"
#include "tests/support/sample_pages.h"
#include "tests/support/test_authority.h"
#include "tools/fake-web/fake_web_server.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>

namespace quarnel {
namespace {

namespace fs = std::filesystem;
using fakeweb::Reply;
using fakeweb::Route;

void setOrUnset(const char* name, const std::string& value) {
    if (value.empty()) {
        ::unsetenv(name);
    } else {
        ::setenv(name, value.c_str(), 1);
    }
}

// fake-web as the https_proxy of every request, answering as www.baidu.com with a
// certificate from an authority made for the run.
class CurlTransportHttpsTest : public ::testing::Test {
protected:
    static constexpr const char* kSearchUrl = "https://www.baidu.com/s?wd=site%3Aexample.com";
    static constexpr const char* kLoginUrl = "https://www.baidu.com/login";
    static constexpr const char* kNextUrl = "https://www.baidu.com/next";

    static void SetUpTestSuite() {
        fs::remove_all(folder_);
        authority_ = testing::makeTestAuthority(folder_ / "ca", {"www.baidu.com"});
        otherAuthority_ = testing::makeTestAuthority(folder_ / "other-ca", {"www.baidu.com"});
        server_ = new fakeweb::Server({
            Route{.host = "www.baidu.com", .target = "/s?*", .body = fakeweb::toGbk(testing::countPage("1,234"))},
            Route{.host = "www.baidu.com", .target = "/login", .setCookie = "BAIDUID=B1; Max-Age=3600; Path=/; Secure"},
            Route{.host = "www.baidu.com", .target = "/next"},
            Route{.host = "127.0.0.1", .target = "/where", .body = "proxy"},
        });
        server_->serveTls(authority_.serverCertificate, authority_.serverKey);
        server_->start();
        ::setenv("https_proxy", server_->proxyUrl().c_str(), 1);
        ::setenv("http_proxy", server_->proxyUrl().c_str(), 1);
    }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
        fs::remove_all(folder_);
        for (const char* name : {"https_proxy", "http_proxy", "CURL_CA_BUNDLE", "SSL_CERT_FILE", "no_proxy"}) {
            ::unsetenv(name);
        }
    }

    void SetUp() override {
        ::setenv("CURL_CA_BUNDLE", authority_.certificate.c_str(), 1);
        for (const char* name : {"SSL_CERT_FILE", "HTTPS_PROXY", "no_proxy", "NO_PROXY"}) {
            ::unsetenv(name);
        }
    }

    static fs::perms permissions(const fs::path& file) { return fs::status(file).permissions() & fs::perms::mask; }

    static inline const fs::path folder_ = fs::temp_directory_path() / ("quarnel-https-" + std::to_string(::getpid()));
    static inline testing::TestAuthority authority_;
    static inline testing::TestAuthority otherAuthority_;
    static inline fakeweb::Server* server_ = nullptr;
};

TEST_F(CurlTransportHttpsTest, PagesArriveOnlyFromACertificateThatChainsToTheNamedAuthority) {
    struct Case {
        const char* name;
        std::string curlCaBundle;
        std::string sslCertFile;
        bool arrives;
    };
    const std::string ours = authority_.certificate;
    const std::string other = otherAuthority_.certificate;
    for (const Case& c : {
             Case{"CURL_CA_BUNDLE", ours, "", true},
             Case{"SSL_CERT_FILE", "", ours, true},
             Case{"CURL_CA_BUNDLE before SSL_CERT_FILE", other, ours, false},
             Case{"the system's authorities alone", "", "", false},
         }) {
        SCOPED_TRACE(c.name);
        setOrUnset("CURL_CA_BUNDLE", c.curlCaBundle);
        setOrUnset("SSL_CERT_FILE", c.sslCertFile);
        CurlTransport transport;
        const Expected<HttpReply> reply = transport.fetch({.url = kSearchUrl, .headers = {}});
        ASSERT_EQ(reply.ok(), c.arrives);
        if (c.arrives) {
            EXPECT_EQ(reply->status, 200);
            EXPECT_EQ(reply->contentType, "text/html; charset=gb2312");
            EXPECT_EQ(reply->body, fakeweb::toGbk(testing::countPage("1,234")));
            EXPECT_EQ(server_->requestLog().back(), kSearchUrl);
        } else {
            EXPECT_NE(reply.reason().find("certificate"), std::string::npos) << reply.reason();
        }
    }
}

TEST_F(CurlTransportHttpsTest, AnUntrustedCertificateCostsOneMessage) {
    ::setenv("CURL_CA_BUNDLE", otherAuthority_.certificate.c_str(), 1);
    CurlTransport transport;
    testing::RecordingMessageBox messages;
    HttpPageFetcher fetcher(transport, messages);
    EXPECT_EQ(fetcher.getHTTPPage(kSearchUrl), "");
    EXPECT_EQ(messages.shown, (std::vector<testing::ShownMessage>{{"无法连接服务器", kSearchUrl}}));
}

TEST_F(CurlTransportHttpsTest, HostsListedInNoProxyAreReachedDirectly) {
    fakeweb::Server direct({Route{.host = "*", .target = "/where", .body = "direct"}});
    direct.start();
    const std::string url = "http://127.0.0.1:" + std::to_string(direct.port()) + "/where";
    const std::pair<const char*, const char*> cases[] = {
        {"", "proxy"},
        {"example.com,127.0.0.1", "direct"},
        {"*", "direct"},
    };
    for (const auto& [noProxy, answeredBy] : cases) {
        ::setenv("no_proxy", noProxy, 1);
        CurlTransport transport;
        const Expected<HttpReply> reply = transport.fetch({.url = url, .headers = {}});
        ASSERT_TRUE(reply.ok()) << reply.reason();
        EXPECT_EQ(reply->body, answeredBy) << noProxy;
    }
}

TEST_F(CurlTransportHttpsTest, CookiesComeBackOnTheNextRequestAndTheNextRunFromAFileOnlyTheUserReads) {
    const auto cookieSent = [](CurlTransport& transport, const char* url) {
        EXPECT_TRUE(transport.fetch({.url = url, .headers = {}}).ok()) << url;
        return server_->cookieLog().back();
    };
    CurlTransport withoutCookies;
    cookieSent(withoutCookies, kLoginUrl);
    EXPECT_EQ(cookieSent(withoutCookies, kNextUrl), "");

    const fs::path cookieFile = folder_ / "state" / "quarnel" / "cookies.txt";
    {
        CurlTransport firstRun({}, cookieFile);
        EXPECT_EQ(cookieSent(firstRun, kLoginUrl), "");
        EXPECT_EQ(cookieSent(firstRun, kNextUrl), "BAIDUID=B1");
        EXPECT_FALSE(firstRun.cookieSaveFailure());
    }
    EXPECT_EQ(permissions(cookieFile), fs::perms::owner_read | fs::perms::owner_write);
    fs::permissions(cookieFile, fs::perms::group_read | fs::perms::others_read, fs::perm_options::add);
    CurlTransport nextRun({}, cookieFile);
    EXPECT_EQ(cookieSent(nextRun, kNextUrl), "BAIDUID=B1");
    EXPECT_EQ(permissions(cookieFile), fs::perms::owner_read | fs::perms::owner_write);

    // A file that cannot be written is told, and the page still arrives.
    CurlTransport unsaved({}, authority_.certificate / "cookies.txt");
    cookieSent(unsaved, kLoginUrl);
    EXPECT_TRUE(unsaved.cookieSaveFailure());
}

}  // namespace
}  // namespace quarnel
