// A whole query run of quarnel-cli against the loopback stand-in, beside the same seven
// URLs fetched by seven sequential curl invocations, timed in the same run.
#include "tests/support/child_process.h"
#include "tests/support/sample_pages.h"
#include "tools/fake-web/fake_web_server.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Pads a page to the size of a real result page.
std::string padded(const std::string& page) {
    std::string padding;
    while (padding.size() < 200 * 1024) {
        padding += "<div class=\"result\">网站收录查询与百度快照分析 example.com</div>\n";
    }
    return fakeweb::toGbk(padding + page);
}

double seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s QUARNEL_CLI CURL\n", argv[0]);
        return 2;
    }
    const std::string cli = argv[1];
    const std::string curl = argv[2];
    const std::string search = "http://www.baidu.com/s?wd=site%3Aexample.com";
    const std::string lookup = "http://pr.quarnel.example/querypr.asp?url=example.com";
    const std::vector<std::string> urls = {
        search + "&lm=1", search + "&lm=7", search + "&lm=30", search, search, lookup, lookup};

    using fakeweb::Reply;
    fakeweb::Server server({
        {"www.baidu.com", "/s?wd=site%3Aexample.com&lm=*", Reply::Body, 200,
         padded(quarnel::testing::countPage("1,234"))},
        {"www.baidu.com", "/s?wd=site%3Aexample.com", Reply::Body, 200,
         padded(quarnel::testing::searchPage("10,000", "example.com", "2026-12-5"))},
        {"pr.quarnel.example", "/querypr.asp?url=example.com", Reply::Body, 200,
         padded(quarnel::testing::pageRankPage("5", "该网站PR值正常"))},
    });
    server.start();
    const std::vector<std::string> environment = {"http_proxy=" + server.proxyUrl(),
                                                  "no_proxy=", "NO_PROXY=", "HTTP_PROXY="};

    constexpr int kRounds = 20;
    Clock::duration cliTime{};
    Clock::duration curlTime{};
    long peakKiB = 0;
    for (int round = 0; round < kRounds; ++round) {
        auto start = Clock::now();
        const auto result = quarnel::testing::runProcess(cli, {"--no-history", "--json", "example.com"}, environment);
        cliTime += Clock::now() - start;
        peakKiB = std::max(peakKiB, result.peakRssKiB);
        if (result.exitCode != 0 || result.out.find("\"fetch_failures\":0") == std::string::npos) {
            std::fprintf(stderr, "quarnel-cli failed: %s%s\n", result.out.c_str(), result.err.c_str());
            return 1;
        }

        start = Clock::now();
        for (const std::string& url : urls) {
            if (quarnel::testing::runProcess(curl, {"-s", "-o", "/dev/null", url}, environment).exitCode != 0) {
                std::fprintf(stderr, "curl failed for %s\n", url.c_str());
                return 1;
            }
        }
        curlTime += Clock::now() - start;
    }
    server.stop();

    std::printf("quarnel-cli: %.1f ms per query run (7 requests), peak RSS %.1f MiB\n",
                1000 * seconds(cliTime) / kRounds, static_cast<double>(peakKiB) / 1024);
    std::printf("curl x7:     %.1f ms per sequence\n", 1000 * seconds(curlTime) / kRounds);
    std::printf("ratio:       %.3f (goal: at most 0.3)\n", seconds(cliTime) / seconds(curlTime));
    return 0;
}
