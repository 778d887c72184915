#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quarnel::cli {

// How many terminal columns UTF-8 text takes: two for a Chinese character or any other
// wide one, one for the rest.
std::size_t terminalColumns(std::string_view text);

// `text` with spaces up to `columns`, before it when `right`; at least one space, so
// that a column too narrow for its text still stands apart.
std::string padded(std::string_view text, std::size_t columns, bool right);

}  // namespace quarnel::cli
