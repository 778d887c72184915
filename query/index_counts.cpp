#include "query/checks.h"

#include "controls/resume_next.h"

#include <array>

namespace quarnel {

void runIndexCounts(ControlModel& controls, ProfileCuts& cuts, const rules::Profile& profile) {
    struct CountRow {
        const std::optional<rules::Cut>& cut;
        const char* name;
        Result result;
    };
    const std::array<CountRow, 4> rows = {{
        {profile.dayCount, "day_count", Result::DayCount},
        {profile.weekCount, "week_count", Result::WeekCount},
        {profile.monthCount, "month_count", Result::MonthCount},
        {profile.allTimeCount, "all_time_count", Result::AllTimeCount},
    }};
    for (const CountRow& row : rows) {
        resumeNext([&] {
            if (auto count = cuts.cut(row.cut, row.name, row.result)) {
                controls.setCaption(labelShowing(row.result), count->value);
            }
        });
    }
}

}  // namespace quarnel
