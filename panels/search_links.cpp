#include "panels/search_links.h"

#include "fetch/service_urls.h"

namespace quarnel {

std::string searchLinkUrl(SearchLink link, std::string_view domain) {
    switch (link) {
        case SearchLink::Label8:
        case SearchLink::Label4:
            return siteSearchUrl(domain, kLastDaySuffix);
        case SearchLink::Label15:
            return siteSearchUrl(domain, kLastWeekSuffix);
        case SearchLink::Label16:
            return siteSearchUrl(domain, kLastMonthSuffix);
        case SearchLink::Label17:
        case SearchLink::Label18:
        case SearchLink::Label19:
            return siteSearchUrl(domain, kNoRestriction);
        case SearchLink::Image1:
            return checkSiteUrl();
    }
    return {};
}

}  // namespace quarnel
