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
using fakeweb::Route;

void setOrUnset(const char* name, const std::string& value) {
    value.empty() ? ::unsetenv(name) : ::setenv(name, value.c_str(), 1);
}

// fake-web as the https_proxy of every request, answering as www.baidu.com with a
// certificate from an authority made for the run.
class CurlTransportHttpsTest : public ::testing::Test {
protected:
    static constexpr const char* kSearchUrl = "https://www.baidu.com/s?wd=site%3Aexample.com";

    static void SetUpTestSuite() {
        fs::remove_all(folder_);
        trusted_ = testing::makeTestAuthority(folder_ / "ca", {"www.baidu.com"});
        other_ = testing::makeTestAuthority(folder_ / "other-ca", {"www.baidu.com"}).certificate;
        server_.serveTls(trusted_.serverCertificate, trusted_.serverKey);
        server_.start();
        ::setenv("https_proxy", server_.proxyUrl().c_str(), 1);
        ::setenv("http_proxy", server_.proxyUrl().c_str(), 1);
    }
    static void TearDownTestSuite() {
        server_.stop();
        fs::remove_all(folder_);
    }
    void SetUp() override {
        ::setenv("CURL_CA_BUNDLE", trusted_.certificate.c_str(), 1);
        for (const char* name : {"SSL_CERT_FILE", "HTTPS_PROXY", "no_proxy", "NO_PROXY"}) {
            ::unsetenv(name);
        }
    }

    static inline const fs::path folder_ = fs::temp_directory_path() / ("quarnel-https-" + std::to_string(::getpid()));
    static inline testing::TestAuthority trusted_;
    static inline fs::path other_;
    static inline fakeweb::Server server_{{
        Route{.host = "www.baidu.com", .target = "/s?*", .body = fakeweb::toGbk(testing::countPage("1,234"))},
        Route{.host = "www.baidu.com", .target = "/login", .setCookie = "BAIDUID=B1; Max-Age=3600; Path=/; Secure"},
        Route{.host = "www.baidu.com", .target = "/next"},
        Route{.host = "127.0.0.1", .target = "/where", .body = "proxy"},
    }};
};

TEST_F(CurlTransportHttpsTest, PagesArriveOnlyFromACertificateThatChainsToTheNamedAuthority) {
    const std::string trusted = trusted_.certificate;
    const std::tuple<const char*, std::string, std::string, bool> cases[] = {
        {"CURL_CA_BUNDLE", trusted, "", true},
        {"SSL_CERT_FILE", "", trusted, true},
        {"CURL_CA_BUNDLE before SSL_CERT_FILE", other_, trusted, false},
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
        testing::RecordingMessageBox messages;
        HttpPageFetcher(transport, messages).getHTTPPage(std::string(kSearchUrl));
        EXPECT_EQ(messages.shown.size(), arrives ? 0u : 1u);
    }
}

TEST_F(CurlTransportHttpsTest, HostsListedInNoProxyAreReachedDirectly) {
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

TEST_F(CurlTransportHttpsTest, CookiesComeBackOnTheNextRequestAndTheNextRunFromAFileOnlyTheUserReads) {
    const auto cookieSent = [](CurlTransport& transport, const char* path) {
        EXPECT_TRUE(transport.fetch({.url = std::string("https://www.baidu.com") + path, .headers = {}}).ok());
        return server_.cookieLog().back();
    };
    const auto userAlone = [](const fs::path& file) {
        return (fs::status(file).permissions() & fs::perms::mask) == (fs::perms::owner_read | fs::perms::owner_write);
    };
    CurlTransport withoutCookies;
    cookieSent(withoutCookies, "/login");
    EXPECT_EQ(cookieSent(withoutCookies, "/next"), "");

    const fs::path cookieFile = folder_ / "state" / "quarnel" / "cookies.txt";
    {
        CurlTransport firstRun({}, cookieFile);
        EXPECT_EQ(cookieSent(firstRun, "/login"), "");
        EXPECT_EQ(cookieSent(firstRun, "/next"), "BAIDUID=B1");
        EXPECT_FALSE(firstRun.cookieSaveFailure());
    }
    EXPECT_TRUE(userAlone(cookieFile));
    fs::permissions(cookieFile, fs::perms::group_read | fs::perms::others_read, fs::perm_options::add);
    CurlTransport nextRun({}, cookieFile);
    EXPECT_EQ(cookieSent(nextRun, "/next"), "BAIDUID=B1");
    EXPECT_TRUE(userAlone(cookieFile));

    CurlTransport cannotSave({}, trusted_.certificate / "cookies.txt");
    cookieSent(cannotSave, "/login");  // the page still arrives
    EXPECT_TRUE(cannotSave.cookieSaveFailure());
}

}  // namespace
}  // namespace quarnel
