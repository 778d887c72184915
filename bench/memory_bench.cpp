// Peak resident memory at the body limit, every answer being that much Chinese text.
// First one fetch alone (libcurl and the decoder, nothing else): a reply of exactly the
// limit, and an endless chunked one that the limit cuts off. Each runs in a fresh process
// of this program, which reports the high-water mark of its own memory since exec (VmHWM),
// so the pages this process serves never count.
// Then what users run: the whole quarnel-cli process for one domain, under the classic
// rules (plain HTTP through http_proxy) and the current ones (HTTPS through https_proxy,
// trusting an authority made for the run, with a key so that the PageRank service is asked
// too), plain, with --no-history and with --explain, all pages through libcurl. The figure is the run's peak resident
// memory as wait4 reports it. wait4 counts what a child held before its exec as its own, so
// each run is started by a fresh process of this program, not by this one, which serves
// the pages.
#include "fetch/curl_transport.h"
#include "fetch/http_page_fetcher.h"
#include "tests/support/child_process.h"
#include "tests/support/test_authority.h"
#include "tools/fake-web/fake_web_server.h"

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr double kKiBPerMiB = 1024;

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
            std::snprintf(figure, sizeof figure, "%.1f MiB", std::stod(line.substr(digits)) / kKiBPerMiB);
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

// The child that starts one run: its peak and exit status on standard output, what the
// run said on standard error.
int startRun(const std::vector<std::string>& command) {
    const auto result =
        quarnel::testing::runProcess(command.front(), std::vector<std::string>(command.begin() + 1, command.end()), {});
    std::printf("%ld %d", result.peakRssKiB, result.exitCode);
    std::fputs(result.err.c_str(), stderr);
    return 0;
}

void measureOneFetch(const std::string& self, const fakeweb::Server& server) {
    const std::vector<std::string> environment = {"http_proxy=" + server.proxyUrl(), "no_proxy=", "NO_PROXY=",
                                                  "HTTP_PROXY="};
    std::printf("one fetch (libcurl and the decoder alone):\n");
    for (const char* path : {"/small", "/at-limit", "/endless"}) {
        const auto result = quarnel::testing::runProcess(
            self, {"--fetch", std::string("http://bench.quarnel.example") + path}, environment);
        std::printf("  %-10s %s\n", path, result.exitCode == 0 ? result.out.c_str() : "child failed");
    }
}

// Each run asks for every page of its profile, all answered by the server's catch-all.
void measureWholeRuns(const std::string& self, const std::string& program, const fakeweb::Server& server, const quarnel::testing::TestAuthority& authority,
                      const std::filesystem::path& home) {
    const std::string proxy = server.proxyUrl();
    const std::vector<std::string> environment = {
        "http_proxy=" + proxy,  "HTTP_PROXY=" + proxy,          "https_proxy=" + proxy,
        "HTTPS_PROXY=" + proxy, "no_proxy=",                    "NO_PROXY=",
        "HOME=" + home.string(), "XDG_DATA_HOME=" + home.string(), "XDG_STATE_HOME=" + home.string(),
        "XDG_CONFIG_HOME=" + home.string(), "CURL_CA_BUNDLE=" + authority.certificate.string(),
        "QUARNEL_OPR_KEY=bench-key",
        // Every page through libcurl, so each body at the limit is read and decoded in this
        // process; quarnel-browser's own memory is browser_helper_bench's to measure.
        "QUARNEL_BROWSER="};
    std::printf("%s --json www.example.com, the whole process, every page through libcurl:\n", program.c_str());
    for (const char* profile : {"classic", "current"}) {
        for (const char* option : {"", "--no-history", "--explain"}) {
            std::vector<std::string> arguments = {"--run", program, "--json", "--profile", profile};
            if (*option != '\0') {
                arguments.emplace_back(option);
            }
            arguments.emplace_back("www.example.com");
            const std::size_t requestsBefore = server.requestLog().size();
            const auto started = quarnel::testing::runProcess(self, arguments, environment);
            const std::size_t requests = server.requestLog().size() - requestsBefore;
            const std::string name = std::string(profile) + " " + option;
            long peakKiB = 0;
            int exitStatus = -1;
            if (std::sscanf(started.out.c_str(), "%ld %d", &peakKiB, &exitStatus) != 2 || exitStatus != 0) {
                std::printf("  %-22s exit status %d: %s", name.c_str(), exitStatus, started.err.c_str());
                continue;
            }
            std::printf("  %-22s peak RSS %.1f MiB  (%zu pages)\n", name.c_str(),
                        static_cast<double>(peakKiB) / kKiBPerMiB, requests);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string_view(argv[1]) == "--fetch") {
        return fetchOnce(argv[2]);
    }
    if (argc > 2 && std::string_view(argv[1]) == "--run") {
        return startRun(std::vector<std::string>(argv + 2, argv + argc));
    }
    char self[PATH_MAX] = {};
    if (::readlink("/proc/self/exe", self, sizeof self - 1) <= 0) {
        std::fprintf(stderr, "cannot find this program's own file\n");
        return 1;
    }
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("quarnel-memory-bench-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    const quarnel::testing::TestAuthority authority =
        quarnel::testing::makeTestAuthority(folder / "ca", {"www.baidu.com", "openpagerank.com"});

    const std::size_t limit = quarnel::FetchLimits{}.maxBodyBytes;
    const std::string atLimit = chineseText(limit);
    using fakeweb::Reply;
    fakeweb::Server server({
        {"bench.quarnel.example", "/small", Reply::Body, 200, chineseText(4096)},
        {"bench.quarnel.example", "/at-limit", Reply::Body, 200, atLimit},
        {"bench.quarnel.example", "/endless", Reply::EndlessChunked},
        {"*", "*", Reply::Body, 200, atLimit},
    });
    quarnel::testing::startAsProxy(server, authority);

    std::printf("body limit %.0f MiB; every answer is Chinese text in GBK, declared GB2312\n",
                static_cast<double>(limit) / (1024 * 1024));
    measureOneFetch(self, server);
    // Another build's quarnel-cli may be named, to compare.
    measureWholeRuns(self, argc == 2 ? argv[1] : QUARNEL_CLI, server, authority, folder / "home");
    std::printf("goal: every whole run under 56 MiB\n");
    server.stop();
    std::filesystem::remove_all(folder);
    return 0;
}
