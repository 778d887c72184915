// How many connections quarnel-cli opens for a batch of 100 domains, all requests going
// through the loopback stand-in as proxy. Kept-alive connections make it one.
#include "tests/support/child_process.h"
#include "tests/support/sample_pages.h"
#include "tools/fake-web/fake_web_server.h"

#include <cstdio>
#include <string>
#include <vector>

int main() {
    using fakeweb::Reply;
    fakeweb::Server server({
        {"www.baidu.com", "/s?wd=site%3A*&lm=*", Reply::Body, 200,
         fakeweb::toGbk(quarnel::testing::countPage("1,234"))},
        {"www.baidu.com", "/s?wd=site%3A*", Reply::Body, 200,
         fakeweb::toGbk(quarnel::testing::searchPage("10,000", "example.com", "2026-12-5"))},
        {"pr.quarnel.example", "/querypr.asp?url=*", Reply::Body, 200,
         fakeweb::toGbk(quarnel::testing::pageRankPage("5", "该网站PR值可能被劫持",
                                                       quarnel::testing::hijackLink("example.com", "thief.cn")))},
    });
    server.start();
    std::vector<std::string> domains;
    for (int i = 0; i < 100; ++i) {
        domains.push_back("site" + std::to_string(i) + ".example.com");
    }
    const auto result = quarnel::testing::runProcess(
        QUARNEL_CLI, domains, {"http_proxy=" + server.proxyUrl(), "no_proxy=", "NO_PROXY=", "HTTP_PROXY="});
    server.stop();
    if (result.exitCode != 0) {
        std::fprintf(stderr, "quarnel-cli failed: %s\n", result.err.c_str());
        return 1;
    }
    std::printf("%zu domains: %zu requests over %zu connection(s) (goal: 1)\n", domains.size(),
                server.requestLog().size(), server.acceptedConnections());
    return 0;
}
