#include "query/marker_extraction.h"

#include <gtest/gtest.h>

namespace quarnel {
namespace {

struct Case {
    std::string text;
    std::string first;
    std::string second;
    std::optional<std::string> expected;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << '"' << c.text << "\" between \"" << c.first << "\" and \"" << c.second << '"';
}

class ExtractBetweenMarkers : public ::testing::TestWithParam<Case> {};

TEST_P(ExtractBetweenMarkers, CutsTheFirstStretch) {
    const Case& c = GetParam();
    EXPECT_EQ(extractBetweenMarkers(c.text, c.first, c.second), c.expected);
}

INSTANTIATE_TEST_SUITE_P(SingleCharacterMarkers, ExtractBetweenMarkers,
                         ::testing::Values(Case{"aXbYc", "X", "Y", "b"}, Case{"aXbXcYd", "X", "Y", "b"},
                                           Case{"aXbcXdYe", "X", "Y", "bc"}, Case{"aXb", "X", "Y", "b"},
                                           Case{"Xb", "X", "Y", "b"}, Case{"aXbY", "X", "Y", "b"},
                                           Case{"aXYb", "X", "Y", ""}, Case{"aX", "X", "Y", std::nullopt},
                                           Case{"aXXb", "X", "Y", std::nullopt}, Case{"abc", "X", "Y", std::nullopt},
                                           Case{"", "X", "Y", std::nullopt}, Case{"aXbyc", "X", "Y", "byc"}));

INSTANTIATE_TEST_SUITE_P(LongerMarkers, ExtractBetweenMarkers,
                         ::testing::Values(
                             // Occurrences never overlap: the only XX is the first one.
                             Case{"aXXXb", "XX", "Y", "Xb"},
                             // A second marker running into the next first marker does not count.
                             Case{"aSTbYSTY", "ST", "YS", "bY"}));

}  // namespace
}  // namespace quarnel
