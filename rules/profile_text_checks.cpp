#include "rules/profile_text_checks.h"

#include <algorithm>
#include <string>

namespace quarnel::rules {
namespace {

// More digits than this in {now-SECONDS} would reach back past the Unix epoch anyway.
constexpr std::size_t kMostSecondsDigits = 10;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char wanted, char c) {
               return wanted == (c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
           });
}

bool isKnownPlaceholder(std::string_view name, bool keyAllowed) {
    if (name == "domain" || name == "now" || (keyAllowed && name == "key")) {
        return true;
    }
    constexpr std::string_view kNowMinus = "now-";
    if (!name.starts_with(kNowMinus)) {
        return false;
    }
    const std::string_view seconds = name.substr(kNowMinus.size());
    return !seconds.empty() && seconds.size() <= kMostSecondsDigits && std::ranges::all_of(seconds, isDigit);
}

Expected<Done> checkPlaceholders(std::string_view text, bool keyAllowed) {
    for (std::size_t open = text.find('{'); open != std::string_view::npos; open = text.find('{', open + 1)) {
        const std::size_t close = text.find('}', open);
        if (close == std::string_view::npos) {
            return Failure{"has a { that no } closes"};
        }
        const std::string_view name = text.substr(open + 1, close - open - 1);
        if (!isKnownPlaceholder(name, keyAllowed)) {
            return Failure{"has an unknown placeholder {" + std::string(name) + "}"};
        }
    }
    return Done{};
}

// The characters RFC 9110 allows in a header name.
bool isTokenCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || isDigit(c) ||
           std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

}  // namespace

Expected<Done> checkUrlTemplate(std::string_view url) {
    if (!startsWithIgnoringCase(url, "http://") && !startsWithIgnoringCase(url, "https://")) {
        return Failure{"must start with http:// or https://"};
    }
    return checkPlaceholders(url, false);
}

Expected<Done> checkHeader(std::string_view header) {
    if (header.find_first_of("\r\n") != std::string_view::npos) {
        return Failure{"must be one line"};
    }
    const std::size_t colon = header.find(':');
    if (colon == 0 || colon == std::string_view::npos || !std::all_of(header.begin(), header.begin() + colon, isTokenCharacter) ||
        header.substr(colon + 1, 1) != " ") {
        return Failure{"must read \"Name: value\""};
    }
    return checkPlaceholders(header, true);
}

Expected<Done> checkJsonPointer(std::string_view pointer) {
    if (!pointer.empty() && pointer.front() != '/') {
        return Failure{"must be empty or start with /"};
    }
    for (std::size_t tilde = pointer.find('~'); tilde != std::string_view::npos; tilde = pointer.find('~', tilde + 1)) {
        if (tilde + 1 == pointer.size() || (pointer[tilde + 1] != '0' && pointer[tilde + 1] != '1')) {
            return Failure{"may hold ~ only as ~0 or ~1"};
        }
    }
    return Done{};
}

}  // namespace quarnel::rules
