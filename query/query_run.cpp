#include "query/query_run.h"

#include "query/first_result_checks.h"
#include "query/index_counts.h"
#include "query/pagerank_check.h"
#include "shell/resume_next.h"

namespace quarnel {

QueryRun::QueryRun(ControlModel& controls, PageFetcher& fetcher, const LastDomainFile* lastDomain)
    : controls_(controls), fetcher_(fetcher), lastDomain_(lastDomain) {}

void QueryRun::run() noexcept {
    for (const ResultLabel label : kResultLabels) {
        resumeNext([&] { controls_.setCaption(label, kQuerying); });
    }
    resumeNext([&] { controls_.setTimerInterval(kFillTickMilliseconds); });
    resumeNext([&] { controls_.setTimerEnabled(true); });
    resumeNext([&] { controls_.submitCheckPage(); });

    resumeNext([&] { runIndexCounts(controls_, fetcher_); });
    resumeNext([&] { runFirstResultChecks(controls_, fetcher_); });
    resumeNext([&] { runPageRankCheck(controls_, fetcher_); });

    if (lastDomain_ != nullptr) {
        resumeNext([&] { lastDomain_->write(controls_.text(TextBox::Text3)); });
    }
}

}  // namespace quarnel
