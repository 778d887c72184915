#include "fetch/declared_charset.h"

#include <algorithm>

namespace quarnel {
namespace {

constexpr std::string_view kHttpWhitespace = " \t\r\n";

bool isTokenCharacter(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
           std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

bool isToken(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), isTokenCharacter);
}

// Tabs, printable ASCII and every byte above it: what a parameter value may hold.
bool isQuotableText(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte == '\t' || (byte >= 0x20 && byte != 0x7F);
    });
}

std::string_view trimmedEnd(std::string_view text) {
    const std::size_t last = text.find_last_not_of(kHttpWhitespace);
    return text.substr(0, last == std::string_view::npos ? 0 : last + 1);
}

// The value of the quoted string opening at `at`, backslash escapes undone; `at` moves
// past its closing quote (or to the end when there is none).
std::string quotedString(std::string_view text, std::size_t& at) {
    std::string value;
    ++at;
    while (true) {
        const std::size_t stop = std::min(text.find_first_of("\"\\", at), text.size());
        value.append(text.substr(at, stop - at));
        at = stop + 1;
        if (stop == text.size()) {
            break;
        }
        if (text[stop] == '"') {
            break;
        }
        if (at >= text.size()) {
            value += '\\';
            break;
        }
        value += text[at++];
    }
    at = std::min(at, text.size());
    return value;
}

}  // namespace

std::string headerCharset(std::string_view contentType) {
    std::string_view text = trimmedEnd(contentType);
    text.remove_prefix(std::min(text.find_first_not_of(kHttpWhitespace), text.size()));
    const std::size_t slash = text.find('/');
    if (slash == std::string_view::npos || !isToken(text.substr(0, slash))) {
        return {};
    }
    std::size_t at = std::min(text.find(';', slash), text.size());
    if (!isToken(trimmedEnd(text.substr(slash + 1, at - slash - 1)))) {
        return {};
    }
    while (at < text.size()) {
        ++at;  // past the ';'
        at = std::min(text.find_first_not_of(kHttpWhitespace, at), text.size());
        const std::size_t nameEnd = std::min(text.find_first_of(";=", at), text.size());
        std::string name(text.substr(at, nameEnd - at));
        std::transform(name.begin(), name.end(), name.begin(),
                       [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
        at = nameEnd;
        if (at < text.size() && text[at] == ';') {
            continue;
        }
        if (++at >= text.size()) {
            break;
        }
        std::string value;
        if (text[at] == '"') {
            value = quotedString(text, at);
            at = std::min(text.find(';', at), text.size());
        } else {
            const std::size_t end = std::min(text.find(';', at), text.size());
            value = trimmedEnd(text.substr(at, end - at));
            at = end;
            if (value.empty()) {
                continue;
            }
        }
        if (name == "charset" && isQuotableText(value)) {
            return value;
        }
    }
    return {};
}

}  // namespace quarnel
