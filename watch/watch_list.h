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
// end; blank lines, spaces and tabs around a domain, CR before LF and a UTF-8
// byte-order mark at the start do not count. A CR anywhere else is a control character,
// and its line is skipped.
struct WatchList {
    std::vector<std::string> domains;  // in file order, each once
    std::vector<SkippedLine> skipped;
};

WatchList parseWatchList(std::string_view text);

// Why `domain` cannot stand on a line of the list (then it would be read back as
// something else, or as nothing); nothing when it can.
std::optional<std::string> unfitDomainReason(std::string_view domain);

// The list's text with `domain` on a new last line, in the line end of the text's last
// ended line (also for the last line it completes); nothing when the list already holds
// it. `domain` must be fit.
std::optional<std::string> withDomainAdded(std::string_view text, std::string_view domain);

// The list's text without the lines that name `domain`; comments, blank lines, other
// lines and a byte-order mark stay as they are. Nothing when no line names it (an empty
// `domain` names none).
std::optional<std::string> withDomainRemoved(std::string_view text, std::string_view domain);

}  // namespace quarnel::watch
