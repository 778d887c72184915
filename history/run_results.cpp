#include "history/run_results.h"

namespace quarnel::history {
namespace {

std::optional<std::string> written(const ControlModel& controls, ResultLabel label) {
    std::string caption = controls.caption(label);
    if (caption == kQuerying) {
        return std::nullopt;
    }
    return caption;
}

}  // namespace

RunResults resultsOf(const ControlModel& controls) {
    return RunResults{
        .day = written(controls, ResultLabel::Label4),
        .week = written(controls, ResultLabel::Label5),
        .month = written(controls, ResultLabel::Label12),
        .all = written(controls, ResultLabel::Label13),
        .snapshot = written(controls, ResultLabel::Label11),
        .homepage = written(controls, ResultLabel::Label9),
        .pagerank = written(controls, ResultLabel::Label1),
        .hijack = written(controls, ResultLabel::Label2),
    };
}

}  // namespace quarnel::history
