#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quarnel {

// How far into a page a <meta> must name its character set to be believed, as browsers look.
inline constexpr std::size_t kMetaWindow = 4096;

// The charset parameter of a Content-Type value read as a MIME type (type/subtype, then
// parameters; the first valid charset parameter counts). Empty when the value is not a
// MIME type or names no charset.
std::string headerCharset(std::string_view contentType);

struct MetaDeclaration {
    std::string label;     // lower-case, one charsetNamed knows; empty when no <meta> declares one
    std::string passedOver;  // the first label a <meta> declared that is unknown, so the scan went on
};

// What the <meta> elements in the first kMetaWindow bytes of `body` declare, read as a
// browser prescans a page before parsing it: comments, other tags and their quoted
// attribute values are stepped over, and a content="...charset=..." counts only beside
// http-equiv="Content-Type". A tag cut off by the window's end declares nothing.
MetaDeclaration metaCharset(std::string_view body);

}  // namespace quarnel
