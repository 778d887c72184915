#include "rules/html_page.h"

#include <algorithm>

namespace quarnel::rules {
namespace {

constexpr std::string_view kNoBreakSpace = "\u00A0";  // &nbsp;, everywhere on Baidu's pages

// The length of the white space (ASCII or U+00A0) at `at`, or 0.
std::size_t spaceAt(std::string_view text, std::size_t at) {
    if (text.substr(at, kNoBreakSpace.size()) == kNoBreakSpace) {
        return kNoBreakSpace.size();
    }
    const char c = text[at];
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v' ? 1 : 0;
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

std::optional<std::string> hostOf(std::string_view text) {
    std::string compact;
    for (std::size_t i = 0; i < text.size();) {
        if (const std::size_t width = spaceAt(text, i)) {
            i += width;
        } else {
            const char c = text[i++];
            compact += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        }
    }
    std::string_view host = compact;
    if (const auto scheme = host.find("://"); scheme != std::string_view::npos) {
        host.remove_prefix(scheme + 3);
    }
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
