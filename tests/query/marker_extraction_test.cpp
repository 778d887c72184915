#include "query/marker_extraction.h"

#include <gtest/gtest.h>

namespace quarnel {
namespace {

TEST(ExtractBetweenMarkers, CutsTheFirstStretch) {
    const struct {
        std::string text, first, second;
        std::optional<std::string> expected;
    } cases[] = {
        {"aXbYc", "X", "Y", "b"},   {"aXbXcYd", "X", "Y", "b"},         {"aXbcXdYe", "X", "Y", "bc"},
        {"aXb", "X", "Y", "b"},     {"Xb", "X", "Y", "b"},              {"aXbY", "X", "Y", "b"},
        {"aXYb", "X", "Y", ""},     {"aX", "X", "Y", std::nullopt},     {"aXXb", "X", "Y", std::nullopt},
        {"abc", "X", "Y", std::nullopt}, {"", "X", "Y", std::nullopt},  {"aXbyc", "X", "Y", "byc"},
        // Occurrences never overlap: the only XX is the first one.
        {"aXXXb", "XX", "Y", "Xb"},
        // A second marker running into the next first marker does not count.
        {"aSTbYSTY", "ST", "YS", "bY"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(extractBetweenMarkers(c.text, c.first, c.second), c.expected)
            << '"' << c.text << "\" between \"" << c.first << "\" and \"" << c.second << '"';
    }
}

}  // namespace
}  // namespace quarnel
