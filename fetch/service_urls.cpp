#include "fetch/service_urls.h"

#include "fetch/service_hosts.h"

namespace quarnel {
namespace {

bool keptAsIs(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~' || c == ':' || c == '/';
}

std::string httpUrl(std::string_view host, std::string_view pathAndQuery) {
    std::string url = "http://";
    url.append(host).append(pathAndQuery);
    return url;
}

}  // namespace

std::string encodeDomainForUrl(std::string_view domain) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(domain.size());
    for (const char ch : domain) {
        const auto c = static_cast<unsigned char>(ch);
        if (keptAsIs(c)) {
            encoded += ch;
        } else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 0x0F];
        }
    }
    return encoded;
}

std::string siteSearchUrl(std::string_view domain, std::string_view restrictionSuffix) {
    return httpUrl(hosts::kSearch, "/s?wd=site%3A" + encodeDomainForUrl(domain) + std::string(restrictionSuffix));
}

std::string checkPageUrl(std::string_view domain) {
    return httpUrl(hosts::kCheckSite, "/divuv/?url=" + encodeDomainForUrl(domain));
}

std::string checkSiteUrl() {
    return httpUrl(hosts::kCheckSite, "");
}

std::string bannerPageUrl() {
    static constexpr std::string_view kBannerTag = "vi60";
    return httpUrl(hosts::kMakerSite, "/tb/" + std::string(kBannerTag) + ".html");
}

}  // namespace quarnel
