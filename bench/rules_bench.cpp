// CPU a query run costs under its rules, as a process measures it (no network: the
// transport answers from memory, so fetching costs nothing and decoding, parsing and
// cutting are all there is):
//   1. the classic rules over the demo pages, against the same cuts made the way the
//      program made them before rules were data (fixed markers in the code);
//   2. the classic rules and the current rules over five real result pages of 225 to
//      675 KB (the current run's four searches, each an XPath per value);
// and the one-time cost of reading the built-in profiles.
//   rules_bench REALPAGES_DIR
#include "controls/memory_control_model.h"
#include "fetch/bytes_to_bstr.h"
#include "fetch/http_page_fetcher.h"
#include "query/marker_extraction.h"
#include "query/query_run.h"
#include "rules/profile_reader.h"
#include "tests/support/classic_profile.h"
#include "tests/support/recording_message_box.h"
#include "tests/support/sample_pages.h"
#include "tools/fake-web/fake_web_server.h"

#include <time.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

using namespace quarnel;

double cpuMilliseconds() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Answers every request in turn with the next of `bodies`, round and round.
class MemoryTransport final : public HttpTransport {
public:
    explicit MemoryTransport(std::vector<std::string> bodies) : bodies_(std::move(bodies)) {}
    Expected<HttpReply> fetch(const HttpRequest&) override {
        ++requests;
        return HttpReply{.status = 200, .contentType = "text/html", .body = bodies_[next_++ % bodies_.size()]};
    }
    std::size_t requests = 0;

private:
    std::vector<std::string> bodies_;
    std::size_t next_ = 0;
};

struct Figure {
    double perRun = 0;
    double perRequest = 0;
};

Figure measure(const rules::Profile& profile, std::vector<std::string> bodies, int runs) {
    MemoryTransport transport(std::move(bodies));
    testing::RecordingMessageBox messages;
    HttpPageFetcher fetcher(transport, messages);
    const testing::FixedClock clock;
    const QueryContext context{.profile = profile, .fetcher = fetcher, .clock = clock, .key = {}, .trace = nullptr};
    const double start = cpuMilliseconds();
    for (int run = 0; run < runs; ++run) {
        MemoryControlModel controls;
        controls.setText(TextBox::Text3, "example.com");
        QueryRun(controls, context, nullptr).run();
    }
    const double spent = cpuMilliseconds() - start;
    return {spent / runs, spent / static_cast<double>(transport.requests)};
}

// The same cuts as the classic rules make, written the way they were before the rules
// were data: decode, then the fixed markers.
Figure measureFixedMarkers(const std::vector<std::string>& bodies, int runs) {
    const std::vector<std::pair<std::string, std::string>> cuts = {
        {"百度一下，找到相关网页", "篇"}, {"百度一下，找到相关网页", "篇"}, {"百度一下，找到相关网页", "篇"},
        {"百度一下，找到相关网页", "篇"}, {R"(id="1")", "百度快照</a>"},     {"cn/pagerank", ".gi"},
        {"gif' border=0></span><br>", "<"}};
    std::size_t found = 0;
    const double start = cpuMilliseconds();
    for (int run = 0; run < runs; ++run) {
        for (std::size_t i = 0; i < cuts.size(); ++i) {
            const std::string text = BytesToBstr(bodies[i % bodies.size()], "GB2312");
            found += extractBetweenMarkers(text, cuts[i].first, cuts[i].second).has_value();
        }
    }
    const double spent = cpuMilliseconds() - start;
    if (found == 0) {
        std::printf("(no cut found anything)\n");
    }
    return {spent / runs, spent / static_cast<double>(runs * cuts.size())};
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: rules_bench REALPAGES_DIR\n");
        return 2;
    }
    const std::string folder = argv[1];

    double start = cpuMilliseconds();
    const rules::Profile& classic = testing::classic();
    const double classicRead = cpuMilliseconds() - start;
    start = cpuMilliseconds();
    const Expected<rules::LoadedProfile> current = rules::loadProfile("current", {});
    const double currentRead = cpuMilliseconds() - start;
    if (!current) {
        std::fprintf(stderr, "%s\n", current.reason().c_str());
        return 1;
    }
    std::printf("reading the built-in profiles once: classic %.3f ms, current %.3f ms CPU\n", classicRead, currentRead);

    using testing::countPage;
    const std::vector<std::string> demo = {
        fakeweb::toGbk(countPage("12")), fakeweb::toGbk(countPage("345")), fakeweb::toGbk(countPage("6,789")),
        fakeweb::toGbk(testing::searchPage("10,000", "example.com", "2026-12-5")),
        fakeweb::toGbk(testing::searchPage("10,000", "example.com", "2026-12-5")),
        fakeweb::toGbk(testing::pageRankPage("3", "正常")), fakeweb::toGbk(testing::pageRankPage("3", "正常"))};
    constexpr int kDemoRuns = 2000;
    const Figure before = measureFixedMarkers(demo, kDemoRuns);
    const Figure classicDemo = measure(classic, demo, kDemoRuns);
    std::printf("demo pages, %d runs: fixed markers %.4f ms/run, classic rules %.4f ms/run (%.2fx), %.4f ms/request\n",
                kDemoRuns, before.perRun, classicDemo.perRun, classicDemo.perRun / before.perRun,
                classicDemo.perRequest);

    std::vector<std::string> real;
    for (const char* name : {"baidu_2018-09-18_ordinary_wayback.html", "baidu_2020-08-18_ordinary_count-72900000.html",
                             "baidu_2021-05-10_ordinary_hello.html", "baidu_2022-12-10_ordinary_no-snapshot-link.html",
                             "baidu_2019-10-02_ordinary_wayback.html"}) {
        real.push_back(readFile(folder + "/" + name));
        if (real.back().empty()) {
            std::fprintf(stderr, "cannot read %s/%s\n", folder.c_str(), name);
            return 1;
        }
    }
    constexpr int kRealRuns = 20;
    const Figure classicReal = measureFixedMarkers(real, kRealRuns);
    const Figure classicRules = measure(classic, real, kRealRuns);
    const Figure currentReal = measure(current->profile, real, kRealRuns);
    std::printf("real pages (225-675 KB), %d runs:\n", kRealRuns);
    std::printf("  fixed markers   %7.2f ms/run  %6.2f ms/request\n", classicReal.perRun, classicReal.perRequest);
    std::printf("  classic rules   %7.2f ms/run  %6.2f ms/request\n", classicRules.perRun, classicRules.perRequest);
    std::printf("  current rules   %7.2f ms/run  %6.2f ms/request (%.2fx classic per request)\n", currentReal.perRun,
                currentReal.perRequest, currentReal.perRequest / classicRules.perRequest);
    return 0;
}
