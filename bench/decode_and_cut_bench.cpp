// Throughput of turning fetched pages into results: GB2312 decoding plus every cut of
// a query run, on 2 MiB pages, with no network involved.
#include "controls/memory_control_model.h"
#include "fetch/bytes_to_bstr.h"
#include "query/query_run.h"
#include "tests/support/classic_profile.h"
#include "tools/fake-web/fake_web_server.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace {

using namespace quarnel;

// Mostly markup with Chinese text between, every marker close to the end, as on a
// long result page.
std::string samplePage(std::size_t size) {
    const std::string filler =
        "<div class=\"result c-container\"><h3 class=\"t\"><a href=\"http://www.example.com/news/2026/1206.html\" "
        "target=\"_blank\">网站收录查询与百度快照分析，网页排名变化</a></h3><div class=\"c-abstract\">"
        "本站提供站长工具、网站收录查询、关键词排名、百度权重查询等服务。</div></div>\n";
    const std::string tail =
        "百度一下，找到相关网页1,234篇<table id=\"1\"><a onmousedown=\"return c({'fm':'as'})\" "
        "href=\"http://example.com/\">首页</a><font>example.com/ 2026-12-5  </font>百度快照</a>"
        "<img src='http://pr.example.cn/pagerank5.gif' border=0></span><br>PR可能被劫持<br>"
        "劫持<a href=\"http://example.com\" target=_blank>thief.cn</a></html>";
    const std::string gbkFiller = fakeweb::toGbk(filler);
    const std::string gbkTail = fakeweb::toGbk(tail);
    std::string page;
    while (page.size() + gbkFiller.size() + gbkTail.size() <= size) {
        page += gbkFiller;
    }
    return page + gbkTail;
}

class DecodingFetcher final : public PageFetcher {
public:
    explicit DecodingFetcher(const std::string& body) : body_(body) {}
    FetchedPage getHTTPPage(const PageRequest&) override {
        ++pages;
        FetchedPage page;
        page.completed = true;
        page.text = BytesToBstr(body_, "GB2312");
        return page;
    }
    std::size_t pages = 0;

private:
    const std::string& body_;
};

}  // namespace

int main() {
    const std::string body = samplePage(2 * 1024 * 1024);
    DecodingFetcher fetcher(body);
    const SystemClock clock;
    const QueryContext context{.profile = quarnel::testing::classic(), .fetcher = fetcher, .clock = clock, .key = {}, .trace = nullptr};
    constexpr int kRuns = 20;

    const auto start = std::chrono::steady_clock::now();
    for (int run = 0; run < kRuns; ++run) {
        MemoryControlModel controls;
        controls.setText(TextBox::Text3, "example.com");
        QueryRun(controls, context, nullptr).run();
        if (controls.caption(ResultLabel::Label2) != "可能是劫持thief.cn") {
            std::fprintf(stderr, "unexpected result: %s\n", controls.caption(ResultLabel::Label2).c_str());
            return 1;
        }
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;

    const double mebibytes = static_cast<double>(body.size()) * static_cast<double>(fetcher.pages) / (1024.0 * 1024.0);
    std::printf("decode+cut: %d query runs, %zu pages of %.2f MiB, %.3f s, %.1f MiB/s\n", kRuns, fetcher.pages,
                static_cast<double>(body.size()) / (1024.0 * 1024.0), elapsed.count(), mebibytes / elapsed.count());
    return 0;
}
