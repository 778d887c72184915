#pragma once

#include <string_view>

namespace quarnel::hosts {

// The outside services and the maker's sites, fixed at build time.
inline constexpr std::string_view kSearch = "www.baidu.com";
inline constexpr std::string_view kMakerSite = "www.quarnel.example";
inline constexpr std::string_view kCheckSite = "check.quarnel.example";

// How the maker is reached, as the window's title tells it.
inline constexpr std::string_view kContactNumber = "010-0000-0000";

}  // namespace quarnel::hosts
