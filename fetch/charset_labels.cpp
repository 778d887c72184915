#include "fetch/charset_labels.h"

#include "fetch/bytes_to_bstr.h"

#include <algorithm>
#include <span>
#include <stdexcept>

namespace quarnel {
namespace {

constexpr std::string_view kUtf8Labels[] = {"utf-8", "utf8", "unicode-1-1-utf-8"};
// Labels of the GB family that the decoder's own list leaves out.
constexpr std::string_view kMoreGbLabels[] = {"cp936", "ms936", "windows-936", "euc-cn", "x-euc-cn"};
// Baidu's pages are UTF-8 or GB; a page calling itself Latin-1 or ASCII is only
// naming the default of whatever produced it.
constexpr std::string_view kLatinLabels[] = {"iso-8859-1", "iso8859-1",    "latin1", "l1",      "us-ascii",
                                             "ascii",      "windows-1252", "cp1252", "x-cp1252"};

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool isOneOf(std::string_view label, std::span<const std::string_view> labels) {
    return std::find(labels.begin(), labels.end(), label) != labels.end();
}

bool isGbLabel(const std::string& label) {
    if (isOneOf(label, kMoreGbLabels)) {
        return true;
    }
    try {
        (void)BytesToBstr({}, label);
        return true;
    } catch (const std::invalid_argument&) {
        return false;
    }
}

}  // namespace

std::string normalLabel(std::string_view label) {
    while (!label.empty() && isSpace(label.front())) {
        label.remove_prefix(1);
    }
    while (!label.empty() && isSpace(label.back())) {
        label.remove_suffix(1);
    }
    std::string lower(label);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return lower;
}

std::optional<NamedCharset> charsetNamed(std::string_view label) {
    const std::string name = normalLabel(label);
    if (isOneOf(name, kUtf8Labels)) {
        return NamedCharset::Utf8;
    }
    if (isGbLabel(name)) {
        return NamedCharset::Gb18030;
    }
    if (isOneOf(name, kLatinLabels)) {
        return NamedCharset::Latin;
    }
    return std::nullopt;
}

}  // namespace quarnel
