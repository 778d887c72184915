#include "fetch/http_page_fetcher.h"
#include "fetch/curl_transport.h"
#include "tests/support/recording_message_box.h"
#include "tools/fake-web/fake_web_server.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

namespace quarnel {
namespace {

using fakeweb::Reply;
using fakeweb::Route;

// A loopback port on which nothing listens.
std::uint16_t closedPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

class HttpPageFetcherTest : public ::testing::Test {
protected:
    static constexpr const char* kHost = "svc.quarnel.example";

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
    struct Case {
        std::string path;
        std::string expected;
    };
    CurlTransport transport;
    HttpPageFetcher fetcher(transport, messages);
    for (const Case& c : {
             Case{"/good", "<p>百度一下，找到相关网页1篇</p>"},
             Case{"/missing", "<h1>找不到</h1>"},
             Case{"/empty", ""},
             Case{"/bad-byte", "中\uFFFD\x7F文"},
             Case{"/moved", "<p>百度一下，找到相关网页1篇</p>"},
         }) {
        EXPECT_EQ(fetcher.getHTTPPage(url(c.path)), c.expected) << c.path;
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(HttpPageFetcherTest, RequestsThatDoNotCompleteCostOneMessageAndGiveEmptyText) {
    FetchLimits limits;
    limits.totalTimeout = std::chrono::milliseconds(1500);
    limits.maxBodyBytes = 1024 * 1024;
    CurlTransport transport(limits);
    HttpPageFetcher fetcher(transport, messages);

    const std::vector<std::string> urls = {
        "http://127.0.0.1:" + std::to_string(closedPort()) + "/",
        url("/drop"),
        url("/stall"),
        url("/endless"),
        url("/loop"),
        url("/to-ftp"),
        "http://has space.example/",
    };
    for (const std::string& failing : urls) {
        EXPECT_EQ(fetcher.getHTTPPage(failing), "") << failing;
    }
    ASSERT_EQ(messages.shown.size(), urls.size());
    for (std::size_t i = 0; i < urls.size(); ++i) {
        EXPECT_EQ(messages.shown[i], (testing::ShownMessage{"无法连接服务器", urls[i]}));
    }
}

TEST_F(HttpPageFetcherTest, EveryCallIsItsOwnRequest) {
    CurlTransport transport;
    HttpPageFetcher fetcher(transport, messages);
    const std::size_t before = server_->requestLog().size();
    fetcher.getHTTPPage(url("/good"));
    fetcher.getHTTPPage(url("/good"));
    const auto log = server_->requestLog();
    ASSERT_EQ(log.size(), before + 2);
    EXPECT_EQ(log[before], url("/good"));
    EXPECT_EQ(log[before + 1], url("/good"));
}

}  // namespace
}  // namespace quarnel
