#include "query/checks.h"

#include "controls/resume_next.h"

namespace quarnel {

void runFirstResultChecks(ControlModel& controls, ProfileCuts& cuts, const rules::Profile& profile) {
    std::optional<CutValue> block;
    resumeNext([&] {
        block = cuts.cut(profile.firstResult, "first_result", std::nullopt);
        if (block) {
            controls.setText(TextBox::Text1, block->value);
        }
    });
    // Without a block from this run's page there is nothing to judge: what Text1
    // still holds belongs to another query.
    if (!block) {
        return;
    }
    resumeNext([&] {
        if (auto snapshot = cuts.cutInBlock(profile.snapshot, block, "snapshot", Result::Snapshot)) {
            controls.setCaption(ResultLabel::Label11, snapshot->empty() ? "没有快照" : *snapshot);
        }
    });
    resumeNext([&] {
        if (auto host = cuts.cutInBlock(profile.linkHost, block, "link_host", std::nullopt)) {
            controls.setText(TextBox::Text6, *host);
            controls.setCaption(ResultLabel::Label9, *host == controls.text(TextBox::Text3) ? "首页第一" : "不在第一");
        }
    });
}

}  // namespace quarnel
