#pragma once

#include <string>
#include <string_view>

namespace quarnel {

// Whether `bytes` is well-formed UTF-8: no overlong forms, no surrogates, nothing
// past U+10FFFF, no sequence cut short.
bool isValidUtf8(std::string_view bytes);

// `bytes` as well-formed UTF-8: every byte that starts no well-formed sequence becomes U+FFFD.
// Well-formed bytes come back as they are; others are read once and their memory given
// back on the way, so a large page is never held twice in full.
std::string withReplacementCharacters(std::string bytes);

}  // namespace quarnel
