#include "query/checks.h"

#include "controls/resume_next.h"

namespace quarnel {

void runPageRankCheck(ControlModel& controls, ProfileCuts& cuts, const rules::Profile& profile) {
    resumeNext([&] {
        if (auto pageRank = cuts.cut(profile.pageRank, "pagerank", Result::PageRank)) {
            controls.setCaption(ResultLabel::Label1, pageRank->value);
        }
    });
    std::optional<CutValue> remark;
    resumeNext([&] {
        remark = cuts.cut(profile.remark, "remark", std::nullopt);
        if (remark) {
            controls.setText(TextBox::Text6, remark->value);
        }
    });
    // No verdict without this run's remark (or a profile without one): Text6 may still
    // hold a link host or an earlier remark.
    if (!remark) {
        return;
    }
    if (profile.maybe.empty() || remark->value.find(profile.maybe) == std::string::npos) {
        resumeNext([&] { controls.setCaption(ResultLabel::Label2, "pr真实"); });
        return;
    }
    resumeNext([&] {
        if (auto hijack = cuts.cut(profile.hijack, "hijack", Result::HijackVerdict)) {
            controls.setCaption(ResultLabel::Label2, "可能是劫持" + hijack->value);
        }
    });
}

}  // namespace quarnel
