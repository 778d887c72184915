#include "history/iso_time.h"

#include <gtest/gtest.h>

namespace quarnel::history {
namespace {

TEST(IsoTimeTest, MomentsAndWholeDaysAreReadAndImpossibleDatesAreNot) {
    const struct {
        const char* text;
        DayEdge edge;
        const char* expected;
    } cases[] = {
        {"2026-12-06T08:00:00Z", DayEdge::Last, "2026-12-06T08:00:00Z"},
        {"2026-12-06", DayEdge::First, "2026-12-06T00:00:00Z"},
        {"2026-12-06", DayEdge::Last, "2026-12-06T23:59:59Z"},
        {"2028-02-29", DayEdge::Last, "2028-02-29T23:59:59Z"},
        {"2026-02-30", DayEdge::First, "none"},
        {"2026-02-29T12:00:00Z", DayEdge::First, "none"},
        {"2026-13-01", DayEdge::Last, "none"},
        {"2026-12-06T24:00:00Z", DayEdge::First, "none"},
        {"2026-12-06T08:00:00", DayEdge::First, "none"},
        {"", DayEdge::First, "none"},
    };
    for (const auto& c : cases) {
        const auto parsed = parseMomentOrDay(c.text, c.edge);
        EXPECT_EQ(parsed ? isoUtc(*parsed) : "none", c.expected) << c.text;
    }
}

}  // namespace
}  // namespace quarnel::history
