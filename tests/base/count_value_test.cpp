#include "base/results.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quarnel {
namespace {

TEST(CountValueTest, ReadsCountsAndRejectsAnythingElse) {
    const std::vector<std::pair<std::string, std::optional<long long>>> cases = {
        {"1,234", 1234},     {"约1,234", 1234},      {"0", 0},         {"12345678", 12345678},
        {"", std::nullopt},  {"约", std::nullopt},   {"查询中.", std::nullopt}, {"1,2,", std::nullopt},
        {",12", std::nullopt}, {"1,,2", std::nullopt}, {"-3", std::nullopt}, {"12 ", std::nullopt},
        {"99999999999999999999", std::nullopt},
    };
    for (const auto& [caption, expected] : cases) {
        EXPECT_EQ(countValue(caption), expected) << caption;
    }
}

}  // namespace
}  // namespace quarnel
