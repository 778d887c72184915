#pragma once

#include <string_view>

namespace quarnel {

// Whether `bytes` is well-formed UTF-8: no overlong forms, no surrogates, nothing
// past U+10FFFF, no sequence cut short.
bool isValidUtf8(std::string_view bytes);

}  // namespace quarnel
