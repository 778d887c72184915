#include "rules/html_page.h"

#include <algorithm>

namespace quarnel::rules {
namespace {

// The white space a page's text carries: ASCII's, and the Unicode spaces (&nbsp; is
// everywhere on Baidu's pages; U+3000 indents Chinese text).
constexpr std::string_view kUnicodeSpaces[] = {
    "\u0085", "\u00A0", "\u1680", "\u2000", "\u2001", "\u2002", "\u2003", "\u2004", "\u2005", "\u2006",
    "\u2007", "\u2008", "\u2009", "\u200A", "\u2028", "\u2029", "\u202F", "\u205F", "\u3000",
};

// The length of the white space at `at`, or 0.
std::size_t spaceAt(std::string_view text, std::size_t at) {
    const char c = text[at];
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
        return 1;
    }
    const std::string_view rest = text.substr(at);
    for (const std::string_view space : kUnicodeSpaces) {
        if (rest.starts_with(space)) {
            return space.size();
        }
    }
    return 0;
}

std::string foldedText(std::string_view text) {
    std::string folded;
    bool spacePending = false;
    for (std::size_t i = 0; i < text.size();) {
        if (const std::size_t width = spaceAt(text, i)) {
            spacePending = !folded.empty();
            i += width;
            continue;
        }
        if (spacePending) {
            folded += ' ';
            spacePending = false;
        }
        folded += text[i++];
    }
    return folded;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isPlausibleHost(std::string_view host) {
    const bool allowed = std::all_of(
        host.begin(), host.end(), [](char c) { return isDigit(c) || (c >= 'a' && c <= 'z') || c == '.' || c == '-'; });
    return allowed && host.find('.') != std::string_view::npos && host.find("..") == std::string_view::npos &&
           host.front() != '.' && host.back() != '.' && host.front() != '-' && host.back() != '-';
}

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The length of "scheme://" at the start of `text`, or 0: a scheme is a letter, then
// letters, digits, "+", "-" or "."; an address shown further on is part of a path.
std::size_t schemeLength(std::string_view text) {
    std::size_t end = 0;
    while (end < text.size() && (isLetter(text[end]) || (end > 0 && (isDigit(text[end]) || text[end] == '+' ||
                                                                      text[end] == '-' || text[end] == '.')))) {
        ++end;
    }
    return end > 0 && text.substr(end).starts_with("://") ? end + 3 : 0;
}

// The host of the address the text starts with; the address ends at white space, as a
// displayed address is followed by its date or "百度快照".
std::optional<std::string> hostOf(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t width = spaceAt(text, start);
        if (width == 0) {
            break;
        }
        start += width;
    }
    std::size_t end = start;
    while (end < text.size() && spaceAt(text, end) == 0) {
        ++end;
    }
    std::string address(text.substr(start, end - start));
    for (char& c : address) {
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    std::string_view host = address;
    host.remove_prefix(schemeLength(host));
    host = host.substr(0, host.find_first_of("/?#"));
    if (const auto user = host.rfind('@'); user != std::string_view::npos) {
        host.remove_prefix(user + 1);
    }
    host = host.substr(0, host.find(':'));
    if (host.empty() || !isPlausibleHost(host)) {
        return std::nullopt;
    }
    return std::string(host);
}

std::size_t digitsAt(std::string_view text, std::size_t at, std::size_t most) {
    std::size_t count = 0;
    while (at + count < text.size() && count < most && isDigit(text[at + count])) {
        ++count;
    }
    return count;
}

// Digits with "," groups of three, from the first digit on.
std::optional<std::string> firstNumber(std::string_view text) {
    const std::size_t start = text.find_first_of("0123456789");
    if (start == std::string_view::npos) {
        return std::nullopt;
    }
    std::size_t end = start + digitsAt(text, start, text.size());
    while (end < text.size() && text[end] == ',' && digitsAt(text, end + 1, 4) == 3) {
        end += 4;
    }
    return std::string(text.substr(start, end - start));
}

// "YYYY年M月D日" or "YYYY-M-D" starting at `at`: its length, or 0.
std::size_t dateAt(std::string_view text, std::size_t at) {
    if ((at > 0 && isDigit(text[at - 1])) || digitsAt(text, at, 5) != 4) {
        return 0;
    }
    const bool chinese = text.substr(at + 4).starts_with("年");
    const std::string_view separators[] = {chinese ? "年" : "-", chinese ? "月" : "-"};
    std::size_t end = at + 4;
    int parts[2] = {0, 0};
    for (int k = 0; k < 2; ++k) {
        if (!text.substr(end).starts_with(separators[k])) {
            return 0;
        }
        end += separators[k].size();
        const std::size_t digits = digitsAt(text, end, 3);
        if (digits == 0 || digits > 2) {
            return 0;
        }
        parts[k] = std::stoi(std::string(text.substr(end, digits)));
        end += digits;
    }
    if (parts[0] < 1 || parts[0] > 12 || parts[1] < 1 || parts[1] > 31) {
        return 0;
    }
    if (chinese) {
        return text.substr(end).starts_with("日") ? end + std::string_view("日").size() - at : 0;
    }
    return end < text.size() && isDigit(text[end]) ? 0 : end - at;
}

std::optional<std::string> firstDate(std::string_view text) {
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (const std::size_t length = dateAt(text, at)) {
            return std::string(text.substr(at, length));
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> finishText(std::string_view text, Finish finish) {
    switch (finish) {
        case Finish::Text: {
            std::string folded = foldedText(text);
            return folded.empty() ? std::nullopt : std::optional(std::move(folded));
        }
        case Finish::Host:
            return hostOf(text);
        case Finish::Number:
            return firstNumber(text);
        case Finish::Date:
            return firstDate(text);
    }
    return std::nullopt;
}

}  // namespace quarnel::rules
