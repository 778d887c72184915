#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quarnel {

// The text after the first occurrence of `firstMarker`, up to whichever comes first:
// its second occurrence, the first `secondMarker` behind it, or the end of the text.
// No result when the text holds no `firstMarker`, or when the stretch between the
// first occurrence and the next one (or the end) is empty. Markers are non-empty;
// matching is exact and occurrences never overlap.
std::optional<std::string> extractBetweenMarkers(std::string_view text, std::string_view firstMarker,
                                                 std::string_view secondMarker);

}  // namespace quarnel
