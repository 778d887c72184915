#include "tools/fake-web/fake_web_server.h"
#include "tools/fake-web/request_head.h"
#include "tools/fake-web/requested_domain.h"
#include "tools/fake-web/route_match.h"

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>
#include <tuple>

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
    const char* const cases[][4] = {
        {"GET /s?wd=x HTTP/1.1\r\nAccept: */*\r\nhost:  a.test:8080 \r\n\r\n", "GET", "a.test", "/s?wd=x"},
        {"GET http://a.test/s?q=%3A&lm=1 HTTP/1.1\r\nHost: other\r\n\r\n", "GET", "a.test", "/s?q=%3A&lm=1"},
        {"GET HTTP://Example.COM:81 HTTP/1.1\r\n\r\n", "GET", "Example.COM", "/"},
        {"HEAD http://example.com?q=1 HTTP/1.0\r\n\r\n", "HEAD", "example.com", "/?q=1"},
        {"GET /x HTTP/1.1\r\nHost: [::1]:80\r\n\r\n", "GET", "[::1]", "/x"},
        {"GET /x HTTP/1.1\r\n\r\n", "GET", "", ""},
        {"CONNECT www.baidu.com:443 HTTP/1.1\r\nHost: www.baidu.com:443\r\n\r\n", "CONNECT", "", ""},
        {"GET https://example.com/ HTTP/1.1\r\n\r\n", "GET", "", ""},
        {"GET /x\r\nHost: a\r\n\r\n", "", "", ""},
        {"GET /x y HTTP/1.1\r\nHost: a\r\n\r\n", "", "", ""},
    };
    for (const auto& [head, method, host, target] : cases) {
        const RequestHead request = parseRequestHead(head);
        EXPECT_EQ(std::tie(request.method, request.host, request.target), std::tie(method, host, target)) << head;
    }
    // HTTP/1.1 keeps the connection unless told otherwise; HTTP/1.0 closes it unless told otherwise.
    const std::pair<const char*, bool> closing[] = {
        {"GET / HTTP/1.1\r\nHost: a\r\n\r\n", false},
        {"GET / HTTP/1.1\r\nConnection: Close\r\nHost: a\r\n\r\n", true},
        {"GET / HTTP/1.0\r\nHost: a\r\n\r\n", true},
        {"GET / HTTP/1.0\r\nconnection: Keep-Alive\r\n\r\n", false},
    };
    for (const auto& [head, wantsClose] : closing) {
        EXPECT_EQ(parseRequestHead(head).wantsClose, wantsClose) << head;
    }
}

TEST(RequestedDomainTest, SamplePagesNameTheDomainTheRequestAsksAbout) {
    const std::string page = "<a href=\"http://{{domain}}/\">{{domain}}</a>";
    const std::pair<std::string, std::string> cases[] = {
        {"/querypr.asp?url=example.com", "<a href=\"http://example.com/\">example.com</a>"},
        {"/s?wd=site%3Aa%20b.cn&lm=7", "<a href=\"http://a b.cn/\">a b.cn</a>"},
        {"/s?wd=site%3A%E4%B8%AD.cn", "<a href=\"http://" + toGbk("中.cn") + "/\">" + toGbk("中.cn") + "</a>"},
        {"/divuv/?url=100%2", "<a href=\"http://100%2/\">100%2</a>"},
        {"/tb/vi60.html", "<a href=\"http:///\"></a>"},
    };
    for (const auto& [target, expected] : cases) {
        EXPECT_EQ(fillDomainPlaceholder(page, target), expected) << target;
    }
}

TEST(RoutesFileTest, AGateClosesAnyRouteByItsKeyword) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("quarnel-routes-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    std::ofstream(folder / "page.html") << "page";
    std::ofstream(folder / "routes.txt") << "a /1 gbk 200 page.html gate=fingerprint\n"
                                            "a /2 redirect 302 /1 gate=verification\n"
                                            "a /3 drop gate=script\n"
                                            "a /4 raw 200 page.html text/html\n";
    std::ofstream(folder / "bad.txt") << "# a comment\na /1 gbk 200 page.html gate=captcha\n";
    const std::vector<Route> routes = loadRoutes(folder / "routes.txt");
    std::vector<Gate> gates;
    std::ranges::transform(routes, std::back_inserter(gates), &Route::gate);
    EXPECT_EQ(gates, (std::vector<Gate>{Gate::Fingerprint, Gate::Verification, Gate::Script, Gate::None}));
    EXPECT_EQ(std::tie(routes[1].reply, routes[1].location), std::make_tuple(Reply::Redirect, std::string("/1")));
    EXPECT_EQ(routes[3].contentType, "text/html");
    try {
        loadRoutes(folder / "bad.txt");
        ADD_FAILURE() << "an unknown gate was taken";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("bad.txt:2: unknown gate 'captcha'"), std::string::npos) << error.what();
    }
    fs::remove_all(folder);
}

TEST(ServerTest, LogsADroppedRequestAndStopsPromptlyWithAStalledOneOpen) {
    Server server(
        {{.host = "a", .target = "/", .reply = Reply::Drop}, {.host = "b", .target = "/", .reply = Reply::Stall}});
    server.start();
    const sockaddr_in address{
        .sin_family = AF_INET, .sin_port = htons(server.port()), .sin_addr = {htonl(INADDR_LOOPBACK)}, .sin_zero = {}};
    std::vector<int> clients;
    for (const std::string_view request : {"GET http://a/ HTTP/1.1\r\n\r\n", "GET http://b/ HTTP/1.1\r\n\r\n"}) {
        clients.push_back(::socket(AF_INET, SOCK_STREAM, 0));
        ASSERT_EQ(::connect(clients.back(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        ASSERT_EQ(::send(clients.back(), request.data(), request.size(), MSG_NOSIGNAL), ssize_t(request.size()));
        for (int i = 0; i < 500 && server.requestLog().size() < clients.size(); ++i) {  // keeps the log order known
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    const auto before = std::chrono::steady_clock::now();
    server.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(1));
    EXPECT_EQ(server.requestLog(), (std::vector<std::string>{"http://a/", "http://b/"}));
    std::ranges::for_each(clients, ::close);
}

}  // namespace
}  // namespace fakeweb
