// The marker rule against its plainest reading: cut the text into a list of pieces at
// every first marker, cut piece 1 into pieces at the second marker, take piece 0.
// Input: the first marker, a line feed, the second marker, a line feed, the text.
#include "query/marker_extraction.h"
#include "tests/fuzz/fuzz_expect.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

// An empty text gives no pieces at all, not one empty piece.
std::vector<std::string_view> split(std::string_view text, std::string_view separator) {
    std::vector<std::string_view> pieces;
    if (text.empty()) {
        return pieces;
    }
    for (std::size_t at; (at = text.find(separator)) != std::string_view::npos;
         text.remove_prefix(at + separator.size())) {
        pieces.push_back(text.substr(0, at));
    }
    pieces.push_back(text);
    return pieces;
}

std::optional<std::string> byLists(std::string_view text, std::string_view first, std::string_view second) {
    const auto outer = split(text, first);
    if (outer.size() < 2) {
        return std::nullopt;
    }
    const auto inner = split(outer[1], second);
    if (inner.empty()) {
        return std::nullopt;
    }
    return std::string(inner[0]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t firstEnd = input.find('\n');
    const std::size_t secondEnd = input.find('\n', firstEnd + 1);
    if (firstEnd == 0 || secondEnd == std::string_view::npos || secondEnd == firstEnd + 1) {
        return 0;  // markers are never empty
    }
    const std::string_view first = input.substr(0, firstEnd);
    const std::string_view second = input.substr(firstEnd + 1, secondEnd - firstEnd - 1);
    const std::string_view text = input.substr(secondEnd + 1);
    quarnel::fuzz::expect(quarnel::extractBetweenMarkers(text, first, second) == byLists(text, first, second),
                          "the rule gives what the lists give");
    return 0;
}
