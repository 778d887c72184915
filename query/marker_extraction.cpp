#include "query/marker_extraction.h"

namespace quarnel {

std::optional<std::string> extractBetweenMarkers(std::string_view text, std::string_view firstMarker,
                                                 std::string_view secondMarker) {
    const std::size_t first = text.find(firstMarker);
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view piece = text.substr(first + firstMarker.size());
    piece = piece.substr(0, piece.find(firstMarker));
    if (piece.empty()) {
        return std::nullopt;
    }
    return std::string(piece.substr(0, piece.find(secondMarker)));
}

}  // namespace quarnel
