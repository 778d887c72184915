#pragma once

#include <string>
#include <string_view>

namespace quarnel {

// Decodes a fetched page body into UTF-8 the way browsers do. Every label of
// the GB2312/GBK/GB18030 family (matched ASCII-case-insensitively, surrounding
// ASCII whitespace ignored) is decoded as GB18030; malformed input becomes
// U+FFFD instead of failing. Throws std::invalid_argument for any other label.
std::string BytesToBstr(std::string_view body, std::string_view Cset);

// A body of any GB label decoded the same way, taken over: its memory goes back to the
// system as the decoder passes it, so a large page and its text are never both held in full.
std::string gb18030Text(std::string body);

}  // namespace quarnel
