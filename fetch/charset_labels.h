#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quarnel {

// The character sets a page or a profile may name, as this program reads them.
enum class NamedCharset {
    Utf8,
    Gb18030,  // every label of the GB family
    Latin,    // Latin-1 and ASCII: only the default of whatever produced the page, so ignored
};

// `label` with ASCII white space around it removed and ASCII letters lower-cased.
std::string normalLabel(std::string_view label);

// What `label` names (case and surrounding white space aside); nothing for a label this
// program does not know.
std::optional<NamedCharset> charsetNamed(std::string_view label);

}  // namespace quarnel
