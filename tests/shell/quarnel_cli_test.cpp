#include "tests/support/child_process.h"
#include "tests/support/sample_pages.h"
#include "tools/fake-web/fake_web_server.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace quarnel {
namespace {

using fakeweb::Reply;
using fakeweb::Route;
using testing::runProcess;

Route page(const std::string& host, const std::string& target, const std::string& utf8) {
    return Route{host, target, Reply::Body, 200, fakeweb::toGbk(utf8)};
}

class QuarnelCliTest : public ::testing::Test {
protected:
    QuarnelCliTest()
        : server_({
              page("www.baidu.com", "/s?wd=site%3Aexample.com&lm=1", testing::countPage("12")),
              page("www.baidu.com", "/s?wd=site%3Aexample.com&lm=7", testing::countPage("345")),
              page("www.baidu.com", "/s?wd=site%3Aexample.com&lm=30", testing::countPage("6,789")),
              page("www.baidu.com", "/s?wd=site%3Aexample.com",
                   testing::searchPage("10,000", "example.com", "2026-12-5")),
              page("pr.quarnel.example", "/querypr.asp?url=example.com",
                   testing::pageRankPage("3", "可能被劫持", testing::hijackLink("example.com", "thief.cn"))),
              Route{"*", "/s?wd=site%3Adown.cn*", Reply::Drop},
              Route{"*", "/querypr.asp?url=down.cn", Reply::Drop},
          }) {
        server_.start();
    }

    testing::ProcessResult cli(const std::vector<std::string>& arguments, const std::string& input = "") {
        return runProcess(QUARNEL_CLI_PATH, arguments,
                          {"http_proxy=" + server_.proxyUrl(), "no_proxy=", "NO_PROXY=", "HTTP_PROXY="}, input);
    }

    fakeweb::Server server_;
};

const std::string kExampleJson =
    R"({"domain":"example.com","day":"12","week":"345","month":"6,789","all":"10,000","snapshot":"2026-12-5",)"
    R"("homepage":"首页第一","pagerank":"3","hijack":"可能是劫持thief.cn","fetch_failures":0})"
    "\n";

TEST_F(QuarnelCliTest, JsonLineHoldsEveryResultInOrder) {
    const auto result = cli({"--json", "example.com"});

    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, kExampleJson);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(server_.requestLog().size(), 8u);
}

TEST_F(QuarnelCliTest, DomainsFromStandardInputGoOnPastFailures) {
    const auto result = cli({"--json", "-"}, "down.cn\r\nexample.com\n");

    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, R"({"domain":"down.cn","day":null,"week":null,"month":null,"all":null,"snapshot":null,)"
                          R"("homepage":null,"pagerank":null,"hijack":null,"fetch_failures":7})"
                          "\n" +
                              kExampleJson);
    EXPECT_EQ(result.err.rfind("无法连接服务器: http://www.baidu.com/s?wd=site%3Adown.cn&lm=1\n", 0), 0u) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 7);
}

TEST_F(QuarnelCliTest, ReadableBlockUsesTheWindowsHeadings) {
    const auto result = cli({"example.com"});

    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out,
              "http://example.com\n"
              "  今日收录：12\n  一星期收录：345\n  一月收录：6,789\n  所有日收录：10,000\n"
              "  百度快照：2026-12-5\n  site:首页：首页第一\n  网站PR：3\n  PR是否劫持：可能是劫持thief.cn\n\n");
}

TEST_F(QuarnelCliTest, UsageErrorsExitWithTwoAndSendNothing) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{}, {"--json"}, {"--bogus", "example.com"}, {"-", "example.com"}}) {
        const auto result = cli(arguments);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_NE(result.err.find("usage: quarnel-cli"), std::string::npos);
        EXPECT_EQ(result.out, "");
    }
    EXPECT_TRUE(server_.requestLog().empty());

    const auto help = cli({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("usage: quarnel-cli", 0), 0u);
}

}  // namespace
}  // namespace quarnel
