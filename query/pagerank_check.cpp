#include "query/pagerank_check.h"

#include "fetch/service_urls.h"
#include "query/fetch_page.h"
#include "query/marker_extraction.h"
#include "shell/resume_next.h"

#include <optional>

namespace quarnel {
namespace {

constexpr std::string_view kPageRankStart = "cn/pagerank";
constexpr std::string_view kPageRankEnd = ".gi";
constexpr std::string_view kRemarkStart = "gif' border=0></span><br>";
constexpr std::string_view kTagStart = "<";
constexpr std::string_view kMaybe = "可能";

std::string hijackMarker(const std::string& domain) {
    return R"(劫持<a href="http://)" + domain + R"(" target=_blank>)";
}

}  // namespace

void runPageRankCheck(ControlModel& controls, PageFetcher& fetcher) {
    // Every cut asks the service anew: nothing is reused between requests.
    const auto fetchLookupPage = [&] {
        return fetchPage(fetcher, [&] { return pageRankUrl(controls.text(TextBox::Text3)); });
    };

    const std::string first = fetchLookupPage();
    resumeNext([&] {
        if (auto pageRank = extractBetweenMarkers(first, kPageRankStart, kPageRankEnd)) {
            controls.setCaption(ResultLabel::Label1, *pageRank);
        }
    });

    const std::string second = fetchLookupPage();
    std::optional<std::string> remark;
    resumeNext([&] {
        remark = extractBetweenMarkers(second, kRemarkStart, kTagStart);
        if (remark) {
            controls.setText(TextBox::Text6, *remark);
        }
    });
    // No verdict without this run's remark: Text6 may still hold a link host or an
    // earlier remark.
    if (!remark) {
        return;
    }
    if (remark->find(kMaybe) == std::string::npos) {
        resumeNext([&] { controls.setCaption(ResultLabel::Label2, "pr真实"); });
        return;
    }

    const std::string third = fetchLookupPage();
    resumeNext([&] {
        const std::string marker = hijackMarker(controls.text(TextBox::Text3));
        if (auto hijack = extractBetweenMarkers(third, marker, kTagStart)) {
            controls.setCaption(ResultLabel::Label2, "可能是劫持" + *hijack);
        }
    });
}

}  // namespace quarnel
