#include "query/first_result_checks.h"

#include "fetch/service_urls.h"
#include "query/fetch_page.h"
#include "query/marker_extraction.h"
#include "shell/resume_next.h"

#include <optional>

namespace quarnel {
namespace {

constexpr std::string_view kBlockStart = R"(id="1")";
constexpr std::string_view kBlockEnd = "百度快照</a>";
constexpr std::string_view kSnapshotStart = "/ ";
constexpr std::string_view kSnapshotEnd = "  </font>";
constexpr std::string_view kLinkHostStart = R"marker(})" href="http://)marker";
constexpr std::string_view kLinkHostEnd = R"(/")";

void showSnapshot(ControlModel& controls, const std::string& block) {
    if (auto snapshot = extractBetweenMarkers(block, kSnapshotStart, kSnapshotEnd)) {
        controls.setCaption(ResultLabel::Label11, snapshot->empty() ? "没有快照" : *snapshot);
    }
}

void judgeHomePage(ControlModel& controls, const std::string& block) {
    if (auto host = extractBetweenMarkers(block, kLinkHostStart, kLinkHostEnd)) {
        controls.setText(TextBox::Text6, *host);
        controls.setCaption(ResultLabel::Label9, *host == controls.text(TextBox::Text3) ? "首页第一" : "不在第一");
    }
}

}  // namespace

void runFirstResultChecks(ControlModel& controls, PageFetcher& fetcher) {
    const std::string page =
        fetchPage(fetcher, [&] { return siteSearchUrl(controls.text(TextBox::Text3), kNoRestriction); });
    std::optional<std::string> block;
    resumeNext([&] {
        block = extractBetweenMarkers(page, kBlockStart, kBlockEnd);
        if (block) {
            controls.setText(TextBox::Text1, *block);
        }
    });
    // Without a block from this run's page there is nothing to judge: what Text1
    // still holds belongs to another query.
    if (!block) {
        return;
    }
    resumeNext([&] { showSnapshot(controls, *block); });
    resumeNext([&] { judgeHomePage(controls, *block); });
}

}  // namespace quarnel
