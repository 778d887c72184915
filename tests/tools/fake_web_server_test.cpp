#include "tools/fake-web/fake_web_server.h"
#include "tools/fake-web/request_head.h"
#include "tools/fake-web/route_match.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

namespace fakeweb {
namespace {

TEST(FindRouteTest, StarsMatchAnyRunOfCharacters) {
    const std::vector<Route> routes = {
        {.host = "www.baidu.com", .target = "/s?wd=site%3A*&lm=30"},
        {.host = "www.baidu.com", .target = "/s?wd=site%3A*&lm=*"},
        {.host = "*", .target = "/exact"},
    };
    const std::pair<std::string, const Route*> cases[] = {
        {"/s?wd=site%3Aa.cn&lm=30", &routes[0]},
        {"/s?wd=site%3A&lm=30", &routes[0]},
        {"/s?wd=site%3Aa&lm=30.cn&lm=7", &routes[1]},
        {"/s?wd=site%3Aa.cn", nullptr},
        {"/exact", &routes[2]},
        {"/exact/", nullptr},
    };
    for (const auto& [target, expected] : cases) {
        EXPECT_EQ(findRoute(routes, "WWW.baidu.com", target), expected) << target;
    }
}

TEST(RequestHeadTest, TellsHostAndTargetForOriginAndProxyForms) {
    struct Case {
        const char* head;
        const char* method;
        const char* host;
        const char* target;
    };
    const Case cases[] = {
        {"GET /s?wd=x HTTP/1.1\r\nAccept: */*\r\nhost:  www.baidu.com:8080 \r\n\r\n", "GET", "www.baidu.com",
         "/s?wd=x"},
        {"GET http://www.baidu.com/s?wd=site%3Aexample.com&lm=1 HTTP/1.1\r\nHost: other\r\n\r\n", "GET",
         "www.baidu.com", "/s?wd=site%3Aexample.com&lm=1"},
        {"GET HTTP://Example.COM:81 HTTP/1.1\r\n\r\n", "GET", "Example.COM", "/"},
        {"HEAD http://example.com?q=1 HTTP/1.0\r\n\r\n", "HEAD", "example.com", "/?q=1"},
        {"GET /x HTTP/1.1\r\nHost: [::1]:80\r\n\r\n", "GET", "[::1]", "/x"},
        {"GET /x HTTP/1.1\r\n\r\n", "GET", "", ""},
        {"CONNECT www.baidu.com:443 HTTP/1.1\r\nHost: www.baidu.com:443\r\n\r\n", "CONNECT", "", ""},
        {"GET https://example.com/ HTTP/1.1\r\n\r\n", "GET", "", ""},
        {"GET /x\r\nHost: a\r\n\r\n", "", "", ""},
        {"GET /x y HTTP/1.1\r\nHost: a\r\n\r\n", "", "", ""},
    };
    for (const Case& c : cases) {
        const RequestHead request = parseRequestHead(c.head);
        EXPECT_EQ(request.method, c.method) << c.head;
        EXPECT_EQ(request.host, c.host) << c.head;
        EXPECT_EQ(request.target, c.target) << c.head;
    }
}

class Client {
public:
    explicit Client(std::uint16_t port) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const timeval timeout{5, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        EXPECT_EQ(::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    }
    ~Client() { ::close(fd_); }

    void send(std::string_view bytes) {
        ASSERT_EQ(::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL), ssize_t(bytes.size()));
    }

    // Everything up to the server's close; a timeout shows up as a negative last read.
    std::string readAll(ssize_t& last) {
        std::string bytes;
        char buffer[4096];
        while ((last = ::recv(fd_, buffer, sizeof buffer, 0)) > 0) {
            bytes.append(buffer, static_cast<std::size_t>(last));
        }
        return bytes;
    }

private:
    int fd_;
};

TEST(ServerTest, LogsBeforeReplyingAndStopsWithStalledAndEndlessConnectionsOpen) {
    Server server({
        {.host = "*", .target = "/drop", .reply = Reply::Drop},
        {.host = "*", .target = "/stall", .reply = Reply::Stall},
        {.host = "*", .target = "/endless", .reply = Reply::EndlessChunked},
    });
    std::vector<std::string> lines;
    server.onRequestLine([&lines](const std::string& line) { lines.push_back(line); });
    server.start();

    Client dropped(server.port());
    dropped.send("GET http://a.test/drop HTTP/1.1\r\n\r\n");
    ssize_t last = 0;
    EXPECT_EQ(dropped.readAll(last), "");
    EXPECT_EQ(last, 0);

    // Requests on separate connections race; waiting between them keeps the log order known.
    const auto waitForEntries = [&server](std::size_t count) {
        for (int i = 0; i < 500 && server.requestLog().size() < count; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_EQ(server.requestLog().size(), count);
    };
    Client stalled(server.port());
    stalled.send("GET /stall HTTP/1.1\r\nHost: b.test\r\n\r\n");
    waitForEntries(2);
    // This client never reads, so its worker sits blocked in send() when stop() comes.
    Client endless(server.port());
    endless.send("GET http://c.test/endless HTTP/1.1\r\n\r\n");
    waitForEntries(3);
    Client halfHead(server.port());
    halfHead.send("GET /x HTTP/1.1\r\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(100));

    const auto before = std::chrono::steady_clock::now();
    server.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(1));
    server.stop();

    EXPECT_EQ(server.requestLog(),
              (std::vector<std::string>{"http://a.test/drop", "http://b.test/stall", "http://c.test/endless"}));
    EXPECT_EQ(lines, (std::vector<std::string>{"GET http://a.test/drop HTTP/1.1", "GET /stall HTTP/1.1",
                                               "GET http://c.test/endless HTTP/1.1"}));
    EXPECT_EQ(stalled.readAll(last), "");
    EXPECT_EQ(last, 0);
}

TEST(LoadRoutesTest, ReadsFilesBesideTheRoutesFileAndNamesBadLines) {
    const auto folder = std::filesystem::temp_directory_path() / ("fake-web-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder / "pages");
    std::ofstream(folder / "pages" / "hit.html") << "中文";
    std::ofstream(folder / "routes.txt") << "# comment\n\n"
                                            "www.baidu.com /s?wd=* gbk 200 pages/hit.html\n"
                                            "* /moved redirect 301 http://a.test/\n";
    std::ofstream(folder / "bad.txt") << "* /a drop\n* /b redirect 301\n";

    const std::vector<Route> routes = loadRoutes(folder / "routes.txt");
    ASSERT_EQ(routes.size(), 2U);
    EXPECT_EQ(routes[0].body, "\xD6\xD0\xCE\xC4");
    EXPECT_EQ(routes[1].reply, Reply::Redirect);
    EXPECT_EQ(routes[1].status, 301);
    EXPECT_EQ(routes[1].location, "http://a.test/");
    try {
        loadRoutes(folder / "bad.txt");
        ADD_FAILURE() << "bad line accepted";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("bad.txt:2:"), std::string::npos) << error.what();
    }
    EXPECT_THROW(toGbk("\xF0\x9F\x98\x80"), std::runtime_error);
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace fakeweb
