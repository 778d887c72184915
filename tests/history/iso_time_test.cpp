#include "history/iso_time.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace quarnel::history {
namespace {

using std::chrono::sys_days;
using namespace std::chrono_literals;

TEST(IsoTimeTest, MomentsAndWholeDaysAreReadAndImpossibleDatesAreNot) {
    const std::chrono::sys_seconds day = sys_days(std::chrono::year(2026) / 12 / 6);
    struct Case {
        const char* text;
        DayEdge edge;
        std::optional<std::chrono::sys_seconds> expected;
    };
    const std::vector<Case> cases = {
        {"2026-12-06T08:00:00Z", DayEdge::Last, day + 8h},
        {"2026-12-06", DayEdge::First, day},
        {"2026-12-06", DayEdge::Last, day + 24h - 1s},
        {"2028-02-29", DayEdge::First, sys_days(std::chrono::year(2028) / 2 / 29)},
        {"2026-02-30", DayEdge::First, std::nullopt},
        {"2026-02-29T12:00:00Z", DayEdge::First, std::nullopt},
        {"2026-13-01", DayEdge::Last, std::nullopt},
        {"2026-12-06T24:00:00Z", DayEdge::First, std::nullopt},
        {"2026-12-06T08:00:00", DayEdge::First, std::nullopt},
        {"", DayEdge::First, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parseMomentOrDay(c.text, c.edge), c.expected) << c.text;
    }
}

}  // namespace
}  // namespace quarnel::history
