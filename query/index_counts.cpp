#include "query/index_counts.h"

#include "fetch/service_urls.h"
#include "query/fetch_page.h"
#include "query/marker_extraction.h"
#include "shell/resume_next.h"

#include <array>

namespace quarnel {
namespace {

constexpr std::string_view kCountStart = "百度一下，找到相关网页";
constexpr std::string_view kCountEnd = "篇";

struct CountRow {
    std::string_view restrictionSuffix;
    ResultLabel target;
};

constexpr std::array<CountRow, 4> kCountRows = {{
    {kLastDaySuffix, ResultLabel::Label4},
    {kLastWeekSuffix, ResultLabel::Label5},
    {kLastMonthSuffix, ResultLabel::Label12},
    {kNoRestriction, ResultLabel::Label13},
}};

}  // namespace

void runIndexCounts(ControlModel& controls, PageFetcher& fetcher) {
    for (const CountRow& row : kCountRows) {
        const std::string page =
            fetchPage(fetcher, [&] { return siteSearchUrl(controls.text(TextBox::Text3), row.restrictionSuffix); });
        resumeNext([&] {
            if (auto count = extractBetweenMarkers(page, kCountStart, kCountEnd)) {
                controls.setCaption(row.target, *count);
            }
        });
    }
}

}  // namespace quarnel
