#pragma once

#include "fetch/http_transport.h"

#include <string>

namespace quarnel {

// A body turned into UTF-8 text, and which table was used and why.
struct DecodedPage {
    std::string text;
    std::string charset;  // "gb18030", "utf-8", ...
    std::string why;      // "fixed by the profile", "declared by header", "declared by meta", "fallback", ...
};

// `fixed`: a character set the profile names, or empty for "as the page declares":
// the Content-Type charset, then a <meta charset> or http-equiv in the first 4 KiB,
// then `fallback`; with no fallback, UTF-8 when the bytes are UTF-8, else GB18030.
// Every label of the GB family decodes as GB18030. Text never holds bytes decoded with
// the wrong table: a page declared UTF-8 that is not is decoded with U+FFFD where it breaks.
// The reply is taken over, its body let go as it is decoded.
DecodedPage decodePage(HttpReply reply, const std::string& fixed, const std::string& fallback);

}  // namespace quarnel
