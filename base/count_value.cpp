#include "base/results.h"

#include <limits>

namespace quarnel {

namespace {
constexpr std::string_view kAbout = "约";
}

std::optional<long long> countValue(std::string_view caption) {
    if (caption.starts_with(kAbout)) {
        caption.remove_prefix(kAbout.size());
    }
    long long value = 0;
    bool digitSeen = false;
    bool commaLast = false;
    for (const char ch : caption) {
        if (ch == ',' && digitSeen && !commaLast) {
            commaLast = true;
            continue;
        }
        if (ch < '0' || ch > '9') {
            return std::nullopt;
        }
        const int digit = ch - '0';
        if (value > (std::numeric_limits<long long>::max() - digit) / 10) {
            return std::nullopt;
        }
        value = value * 10 + digit;
        digitSeen = true;
        commaLast = false;
    }
    if (!digitSeen || commaLast) {
        return std::nullopt;
    }
    return value;
}

}  // namespace quarnel
