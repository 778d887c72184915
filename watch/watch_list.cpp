#include "watch/watch_list.h"

#include "base/valid_utf8.h"

#include <algorithm>
#include <map>

namespace quarnel::watch {
namespace {

// Far beyond any host name with a path; a longer line is a pasted page, not a site.
constexpr std::size_t kLongestDomain = 1000;
constexpr std::string_view kBlanks = " \t";

// Some editors put one in front of UTF-8 text; it is no part of the first domain.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// One line of the text: its text without the line end, and the line end ("\r\n", "\n",
// or none on a last line). A CR is only part of the line end right before the LF; any
// other CR stays in the text, where it is a control character like any other.
struct Line {
    std::string_view text;
    std::string_view end;
};

// The text after any byte-order mark.
std::string_view withoutByteOrderMark(std::string_view text) {
    return text.starts_with(kByteOrderMark) ? text.substr(kByteOrderMark.size()) : text;
}

template <typename Visit>
void forEachLine(std::string_view text, Visit&& visit) {
    text = withoutByteOrderMark(text);
    std::size_t number = 1;
    while (!text.empty()) {
        const std::size_t lf = std::min(text.find('\n'), text.size());
        const bool crLf = lf < text.size() && lf > 0 && text[lf - 1] == '\r';
        const std::size_t textEnd = crLf ? lf - 1 : lf;
        const std::size_t lineEnd = std::min(lf + 1, text.size());
        visit(number++, Line{text.substr(0, textEnd), text.substr(textEnd, lineEnd - textEnd)});
        text.remove_prefix(lineEnd);
    }
}

// The domain a line names: its text before any '#', without the blanks around it.
// Empty for blank and comment lines.
std::string_view domainOf(std::string_view line) {
    line = line.substr(0, line.find('#'));
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
    forEachLine(text, [&](std::size_t number, Line line) {
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
    std::string_view lineEnd = "\n";
    bool listed = false;
    forEachLine(text, [&](std::size_t, Line line) {
        lineEnd = line.end.empty() ? lineEnd : line.end;
        listed = listed || domainOf(line.text) == domain;
    });
    if (listed) {
        return std::nullopt;
    }
    std::string added(text);
    if (!withoutByteOrderMark(text).empty() && !added.ends_with('\n')) {
        added += lineEnd;
    }
    return added.append(domain).append(lineEnd);
}

std::optional<std::string> withDomainRemoved(std::string_view text, std::string_view domain) {
    std::string kept(text.substr(0, text.size() - withoutByteOrderMark(text).size()));
    bool removed = false;
    forEachLine(text, [&](std::size_t, Line line) {
        if (!domain.empty() && domainOf(line.text) == domain) {
            removed = true;
        } else {
            kept.append(line.text).append(line.end);
        }
    });
    return removed ? std::optional(kept) : std::nullopt;
}

}  // namespace quarnel::watch
