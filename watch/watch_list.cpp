#include "watch/watch_list.h"

#include "base/valid_utf8.h"

#include <algorithm>
#include <map>

namespace quarnel::watch {
namespace {

// Far beyond any host name with a path; a longer line is a pasted page, not a site.
constexpr std::size_t kLongestDomain = 1000;
constexpr std::string_view kBlanks = " \t";

// One line of the text, without its LF.
struct Line {
    std::string_view text;
    bool endsWithCrLf = false;
};

template <typename Visit>
void forEachLine(std::string_view text, Visit&& visit) {
    std::size_t number = 1;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        const bool crLf = line.ends_with('\r') && end < text.size();
        visit(number++, Line{line, crLf}, text.substr(0, std::min(end + 1, text.size())));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
}

// The domain a line names: its text before any '#', without the blanks around it
// and without a CR at its end. Empty for blank and comment lines.
std::string_view domainOf(std::string_view line) {
    line = line.substr(0, line.find('#'));
    if (line.ends_with('\r')) {
        line.remove_suffix(1);
    }
    const std::size_t first = line.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return line.substr(first, line.find_last_not_of(kBlanks) - first + 1);
}

}  // namespace

std::optional<std::string> unfitDomainReason(std::string_view domain) {
    if (domain.size() > kLongestDomain) {
        return "longer than " + std::to_string(kLongestDomain) + " bytes";
    }
    if (!isValidUtf8(domain)) {
        return "not UTF-8 text";
    }
    if (domain.empty() || domain.find_first_not_of(kBlanks) == std::string_view::npos) {
        return "empty";
    }
    if (std::any_of(domain.begin(), domain.end(), [](unsigned char ch) { return ch < 0x20 || ch == 0x7f; })) {
        return "holds a control character";
    }
    if (domain.find('#') != std::string_view::npos) {
        return "holds '#', which starts a comment in the list";
    }
    if (domainOf(domain) != domain) {
        return "starts or ends with a blank";
    }
    return std::nullopt;
}

WatchList parseWatchList(std::string_view text) {
    WatchList list;
    std::map<std::string_view, std::size_t> firstLineOf;
    forEachLine(text, [&](std::size_t number, Line line, std::string_view) {
        const std::string_view domain = domainOf(line.text);
        if (domain.empty()) {
            return;
        }
        if (auto reason = unfitDomainReason(domain)) {
            list.skipped.push_back({number, *reason});
        } else if (auto [first, inserted] = firstLineOf.emplace(domain, number); !inserted) {
            list.skipped.push_back({number, "repeats line " + std::to_string(first->second)});
        } else {
            list.domains.emplace_back(domain);
        }
    });
    return list;
}

std::optional<std::string> withDomainAdded(std::string_view text, std::string_view domain) {
    bool crLf = false;
    bool listed = false;
    forEachLine(text, [&](std::size_t, Line line, std::string_view) {
        crLf = line.endsWithCrLf;
        listed = listed || domainOf(line.text) == domain;
    });
    if (listed) {
        return std::nullopt;
    }
    const std::string_view lineEnd = crLf ? "\r\n" : "\n";
    std::string added(text);
    if (!added.empty() && !added.ends_with('\n')) {
        added += lineEnd;
    }
    return added.append(domain).append(lineEnd);
}

std::optional<std::string> withDomainRemoved(std::string_view text, std::string_view domain) {
    std::string kept;
    bool removed = false;
    forEachLine(text, [&](std::size_t, Line line, std::string_view withEnd) {
        if (domainOf(line.text) == domain) {
            removed = true;
        } else {
            kept += withEnd;
        }
    });
    return removed ? std::optional(kept) : std::nullopt;
}

}  // namespace quarnel::watch
