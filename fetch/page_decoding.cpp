#include "fetch/page_decoding.h"

#include "base/valid_utf8.h"
#include "fetch/bytes_to_bstr.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <optional>
#include <span>
#include <stdexcept>
#include <string_view>
#include <utility>

namespace quarnel {
namespace {

// Where a page must name its character set to be believed, as browsers look.
constexpr std::size_t kMetaWindow = 4096;
constexpr std::size_t kLongestLabelShown = 40;

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

std::string lowered(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return lower;
}

bool isOneOf(std::string_view label, std::span<const std::string_view> labels) {
    return std::find(labels.begin(), labels.end(), label) != labels.end();
}

// The first `charset=` value in already lower-cased text: a Content-Type value, or one
// <meta> tag (which covers both <meta charset=...> and http-equiv's content="...; charset=...").
std::string charsetIn(std::string_view text) {
    for (std::size_t at = text.find("charset"); at != std::string_view::npos; at = text.find("charset", at + 1)) {
        std::size_t i = at + 7;
        while (i < text.size() && isSpace(text[i])) {
            ++i;
        }
        if (i == text.size() || text[i] != '=') {
            continue;
        }
        ++i;
        while (i < text.size() && isSpace(text[i])) {
            ++i;
        }
        std::string_view stops = ";,\"' \t\r\n\f>/";
        if (i < text.size() && (text[i] == '"' || text[i] == '\'')) {
            stops = text.substr(i++, 1);
        }
        const std::size_t end = std::min(text.find_first_of(stops, i), text.size());
        if (end > i) {
            return std::string(text.substr(i, end - i));
        }
    }
    return {};
}

std::string metaCharset(std::string_view body) {
    const std::string head = lowered(body.substr(0, kMetaWindow));
    for (std::size_t at = head.find("<meta"); at != std::string::npos; at = head.find("<meta", at + 1)) {
        const std::size_t end = std::min(head.find('>', at), head.size());
        if (std::string charset = charsetIn(std::string_view(head).substr(at, end - at)); !charset.empty()) {
            return charset;
        }
    }
    return {};
}

// A label from the page, fit to show: printable ASCII only, not too long.
std::string shown(std::string_view label) {
    std::string text(label.substr(0, kLongestLabelShown));
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c < 0x20 || c > 0x7E; }, '?');
    return text;
}

DecodedPage asUtf8(std::string_view body, std::string why) {
    return {.text = withReplacementCharacters(body), .charset = "utf-8", .why = std::move(why)};
}

DecodedPage asGb18030(std::string_view body, std::string why) {
    return {.text = BytesToBstr(body, "gb18030"), .charset = "gb18030", .why = std::move(why)};
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

// The page decoded with the table `label` names; nothing when the label is to be
// ignored (Latin-1 and ASCII) or unknown, which `notes` then tells.
std::optional<DecodedPage> decodedAs(std::string_view body, std::string_view label, const std::string& why,
                                     std::string& notes) {
    std::string name = lowered(label);
    name.erase(0, name.find_first_not_of(" \t\r\n\f"));
    name.erase(name.find_last_not_of(" \t\r\n\f") + 1);
    if (isOneOf(name, kUtf8Labels)) {
        return asUtf8(body, notes + why);
    }
    if (isGbLabel(name)) {
        return asGb18030(body, notes + why);
    }
    if (!isOneOf(name, kLatinLabels)) {
        notes += why + " \"" + shown(label) + "\": unknown, ignored; ";
    }
    return std::nullopt;
}

}  // namespace

DecodedPage decodePage(const HttpReply& reply, const std::string& fixed, const std::string& fallback) {
    std::string notes;
    // Each source is looked at only when the ones before it named nothing usable.
    const std::function<std::string()> sources[] = {
        [&] { return fixed; },
        [&] { return charsetIn(lowered(reply.contentType)); },
        [&] { return metaCharset(reply.body); },
        [&] { return fallback; },
    };
    constexpr const char* kWhy[] = {"fixed by the profile", "declared by header", "declared by meta",
                                     "profile's fallback"};
    for (std::size_t i = 0; i < std::size(sources); ++i) {
        const std::string label = sources[i]();
        if (label.empty()) {
            continue;
        }
        if (auto page = decodedAs(reply.body, label, kWhy[i], notes)) {
            return std::move(*page);
        }
    }
    if (isValidUtf8(reply.body)) {
        return {.text = reply.body, .charset = "utf-8", .why = notes + "undeclared, valid UTF-8"};
    }
    return asGb18030(reply.body, notes + "undeclared, not UTF-8: GB18030");
}

}  // namespace quarnel
