#pragma once

#include <string>
#include <string_view>

namespace quarnel {

// Restriction suffixes of the site search: pages listed for the last day, week, month.
inline constexpr std::string_view kLastDaySuffix = "&lm=1";
inline constexpr std::string_view kLastWeekSuffix = "&lm=7";
inline constexpr std::string_view kLastMonthSuffix = "&lm=30";
inline constexpr std::string_view kNoRestriction = "";

// The domain as it may stand inside a URL: every byte outside A-Z a-z 0-9 - . _ ~ : /
// is percent-encoded, so a typed space, '&' or '#' cannot change what is asked.
std::string encodeDomainForUrl(std::string_view domain);

std::string siteSearchUrl(std::string_view domain, std::string_view restrictionSuffix);
std::string checkPageUrl(std::string_view domain);
std::string checkSiteUrl();
std::string bannerPageUrl();

}  // namespace quarnel
