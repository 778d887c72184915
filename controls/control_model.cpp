#include "controls/control_model.h"

namespace quarnel {

ResultLabel labelShowing(Result result) {
    switch (result) {
        case Result::DayCount: return ResultLabel::Label4;
        case Result::WeekCount: return ResultLabel::Label5;
        case Result::MonthCount: return ResultLabel::Label12;
        case Result::AllTimeCount: return ResultLabel::Label13;
        case Result::Snapshot: return ResultLabel::Label11;
        case Result::HomePageVerdict: return ResultLabel::Label9;
        case Result::PageRank: return ResultLabel::Label1;
        case Result::HijackVerdict: return ResultLabel::Label2;
    }
    return ResultLabel::Label1;
}

RunResults resultsOf(const ControlModel& controls) {
    RunResults results;
    for (const ResultInfo& info : kResults) {
        std::string caption = controls.caption(labelShowing(info.result));
        if (caption != kQuerying) {
            results[info.result] = std::move(caption);
        }
    }
    return results;
}

}  // namespace quarnel
