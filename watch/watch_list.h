#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel::watch {

// A line of the watch list that names no domain to query, and why.
struct SkippedLine {
    std::size_t number = 0;  // from 1
    std::string reason;
};

// What a watch list holds: one domain per line; a '#' starts a comment to the line's
// end; blank lines, spaces and tabs around a domain, and CR before LF do not count.
struct WatchList {
    std::vector<std::string> domains;  // in file order, each once
    std::vector<SkippedLine> skipped;
};

WatchList parseWatchList(std::string_view text);

// Why `domain` cannot stand on a line of the list (then it would be read back as
// something else, or as nothing); nothing when it can.
std::optional<std::string> unfitDomainReason(std::string_view domain);

// The list's text with `domain` on a new last line, in the line ends the text uses;
// nothing when the list already holds it. `domain` must be fit.
std::optional<std::string> withDomainAdded(std::string_view text, std::string_view domain);

// The list's text without the lines that name `domain`; comments and other lines stay
// as they are. Nothing when no line names it.
std::optional<std::string> withDomainRemoved(std::string_view text, std::string_view domain);

}  // namespace quarnel::watch
