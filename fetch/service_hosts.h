#pragma once

#include <string_view>

namespace quarnel::hosts {

// The outside services and the maker's sites, fixed at build time.
inline constexpr std::string_view kSearch = "www.baidu.com";
inline constexpr std::string_view kPageRank = "pr.quarnel.example";
inline constexpr std::string_view kMakerSite = "www.quarnel.example";
inline constexpr std::string_view kCheckSite = "check.quarnel.example";

}  // namespace quarnel::hosts
