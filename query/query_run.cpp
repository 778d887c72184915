#include "query/query_run.h"

#include "controls/resume_next.h"
#include "query/checks.h"

namespace quarnel {

QueryRun::QueryRun(ControlModel& controls, const QueryContext& context, const LastDomainFile* lastDomain)
    : controls_(controls), context_(context), lastDomain_(lastDomain) {}

void QueryRun::run() noexcept {
    for (const ResultLabel label : kResultLabels) {
        resumeNext([&] { controls_.setCaption(label, kQuerying); });
    }
    resumeNext([&] { controls_.setTimerInterval(kFillTickMilliseconds); });
    resumeNext([&] { controls_.setTimerEnabled(true); });
    resumeNext([&] { controls_.submitCheckPage(); });

    resumeNext([&] {
        if (context_.trace != nullptr) {
            *context_.trace = RunTrace{.profile = context_.profile.name, .requests = {}, .values = {}};
        }
        ProfileCuts cuts(context_, controls_);
        resumeNext([&] { runIndexCounts(controls_, cuts, context_.profile); });
        resumeNext([&] { runFirstResultChecks(controls_, cuts, context_.profile); });
        resumeNext([&] { runPageRankCheck(controls_, cuts, context_.profile); });
    });

    if (lastDomain_ != nullptr) {
        resumeNext([&] { lastDomain_->write(controls_.text(TextBox::Text3)); });
    }
}

}  // namespace quarnel
