#pragma once

#include <string>
#include <string_view>

namespace quarnel {

// The controls that open a search, or the check site, in the user's browser.
enum class SearchLink { Label8, Label4, Label15, Label16, Label17, Label18, Label19, Image1 };

// The page a click on `link` opens, for the domain as `Text3` holds it at the click.
std::string searchLinkUrl(SearchLink link, std::string_view domain);

}  // namespace quarnel
