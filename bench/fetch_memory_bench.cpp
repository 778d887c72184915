// Peak resident memory of one fetch at the body limit: a reply of Chinese text of
// exactly the limit's size, and an endless chunked one that the limit cuts off. Each
// fetch runs in a fresh process of this program, which reports the high-water mark of
// its own memory since exec (VmHWM), so the pages this process serves never count.
#include "fetch/curl_transport.h"
#include "fetch/http_page_fetcher.h"
#include "tests/support/child_process.h"
#include "tools/fake-web/fake_web_server.h"

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>

namespace {

class CountingMessageBox final : public quarnel::MessageBox {
public:
    void show(std::string_view, std::string_view) override { ++shown; }
    int shown = 0;
};

std::string peakResident() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmHWM:")) {
            const auto digits = line.find_first_of("0123456789");
            char figure[32];
            std::snprintf(figure, sizeof figure, "%.1f MiB", std::stod(line.substr(digits)) / 1024);
            return figure;
        }
    }
    return "unknown";
}

// The child: one fetch, then what came of it.
int fetchOnce(const std::string& url) {
    quarnel::CurlTransport transport;
    CountingMessageBox messages;
    quarnel::HttpPageFetcher fetcher(transport, messages);
    const std::string text = fetcher.getHTTPPage(url).text;
    std::printf("peak RSS %s  (%zu bytes of text, %d message(s))", peakResident().c_str(), text.size(), messages.shown);
    return 0;
}

std::string chineseText(std::size_t bytes) {
    const std::string line = fakeweb::toGbk("网站收录查询，百度快照，关键词排名与权重分析。\n");
    std::string body;
    body.reserve(bytes);
    while (body.size() + line.size() <= bytes) {
        body += line;
    }
    body.append(bytes - body.size(), 'x');
    return body;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string_view(argv[1]) == "--fetch") {
        return fetchOnce(argv[2]);
    }
    char self[PATH_MAX] = {};
    if (::readlink("/proc/self/exe", self, sizeof self - 1) <= 0) {
        std::fprintf(stderr, "cannot find this program's own file\n");
        return 1;
    }
    const std::size_t limit = quarnel::FetchLimits{}.maxBodyBytes;
    using fakeweb::Reply;
    fakeweb::Server server({
        {"bench.quarnel.example", "/small", Reply::Body, 200, chineseText(4096)},
        {"bench.quarnel.example", "/at-limit", Reply::Body, 200, chineseText(limit)},
        {"bench.quarnel.example", "/endless", Reply::EndlessChunked},
    });
    server.start();
    const std::vector<std::string> environment = {"http_proxy=" + server.proxyUrl(),
                                                  "no_proxy=", "NO_PROXY=", "HTTP_PROXY="};
    std::printf("body limit %.0f MiB\n", static_cast<double>(limit) / (1024 * 1024));
    for (const char* path : {"/small", "/at-limit", "/endless"}) {
        const auto result = quarnel::testing::runProcess(
            self, {"--fetch", std::string("http://bench.quarnel.example") + path}, environment);
        std::printf("%-10s %s\n", path, result.exitCode == 0 ? result.out.c_str() : "child failed");
    }
    std::printf("goal: /at-limit under 56 MiB\n");
    return 0;
}
