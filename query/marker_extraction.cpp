#include "query/marker_extraction.h"

namespace quarnel {

MarkerCut cutBetweenMarkers(std::string_view text, std::string_view firstMarker, std::string_view secondMarker) {
    MarkerCut cut;
    cut.firstAt = text.find(firstMarker);
    if (cut.firstAt == std::string_view::npos) {
        return cut;
    }
    const std::size_t start = cut.firstAt + firstMarker.size();
    std::string_view piece = text.substr(start);
    piece = piece.substr(0, piece.find(firstMarker));
    if (piece.empty()) {
        return cut;
    }
    if (const std::size_t second = piece.find(secondMarker); second != std::string_view::npos) {
        cut.secondAt = start + second;
        piece = piece.substr(0, second);
    }
    cut.value = std::string(piece);
    return cut;
}

}  // namespace quarnel
