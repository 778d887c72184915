#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quarnel {

// Where the marker rule matched in a text, and what it gave.
struct MarkerCut {
    std::size_t firstAt = std::string_view::npos;   // the first marker's first occurrence
    std::size_t secondAt = std::string_view::npos;  // the second marker behind it, when it ends the value
    std::optional<std::string> value;
};

// The text after the first occurrence of `firstMarker`, up to whichever comes first:
// its second occurrence, the first `secondMarker` behind it, or the end of the text.
// No result when the text holds no `firstMarker`, or when the stretch between the
// first occurrence and the next one (or the end) is empty. Markers are non-empty;
// matching is exact and occurrences never overlap.
MarkerCut cutBetweenMarkers(std::string_view text, std::string_view firstMarker, std::string_view secondMarker);

inline std::optional<std::string> extractBetweenMarkers(std::string_view text, std::string_view firstMarker,
                                                        std::string_view secondMarker) {
    return cutBetweenMarkers(text, firstMarker, secondMarker).value;
}

}  // namespace quarnel
