#include "fetch/page_decoding.h"

#include "base/valid_utf8.h"
#include "fetch/bytes_to_bstr.h"
#include "fetch/charset_labels.h"
#include "fetch/declared_charset.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <optional>
#include <string_view>
#include <utility>

namespace quarnel {
namespace {

constexpr std::size_t kLongestLabelShown = 40;

// A label from the page, fit to show: printable ASCII only, not too long.
std::string shown(std::string_view label) {
    std::string text(label.substr(0, kLongestLabelShown));
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c < 0x20 || c > 0x7E; }, '?');
    return text;
}

std::string unknownLabelNote(std::string_view why, std::string_view label) {
    return std::string(why) + " \"" + shown(label) + "\": unknown, ignored; ";
}

// The body is taken over: a page of the body limit is never held twice.
DecodedPage asUtf8(std::string body, std::string why) {
    return {.text = withReplacementCharacters(std::move(body)), .charset = "utf-8", .why = std::move(why)};
}

DecodedPage asGb18030(std::string body, std::string why) {
    return {.text = gb18030Text(std::move(body)), .charset = "gb18030", .why = std::move(why)};
}

// The page decoded with the table `label` names; nothing when the label is to be
// ignored (Latin-1 and ASCII) or unknown, which `notes` then tells. The body is taken
// only when it is decoded.
std::optional<DecodedPage> decodedAs(std::string& body, std::string_view label, const std::string& why,
                                     std::string& notes) {
    const std::optional<NamedCharset> named = charsetNamed(label);
    if (named == NamedCharset::Utf8) {
        return asUtf8(std::move(body), notes + why);
    }
    if (named == NamedCharset::Gb18030) {
        return asGb18030(std::move(body), notes + why);
    }
    if (!named) {
        notes += unknownLabelNote(why, label);
    }
    return std::nullopt;
}

}  // namespace

DecodedPage decodePage(HttpReply reply, const std::string& fixed, const std::string& fallback) {
    std::string notes;
    // Each source is looked at only when the ones before it named nothing usable.
    const std::function<std::string()> sources[] = {
        [&] { return fixed; },
        [&] { return headerCharset(reply.contentType); },
        [&] {
            const MetaDeclaration meta = metaCharset(reply.body);
            if (!meta.passedOver.empty()) {
                notes += unknownLabelNote("declared by meta", meta.passedOver);
            }
            return meta.label;
        },
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
        return {.text = std::move(reply.body), .charset = "utf-8", .why = notes + "undeclared, valid UTF-8"};
    }
    return asGb18030(std::move(reply.body), notes + "undeclared, not UTF-8: GB18030");
}

}  // namespace quarnel
