#include "fetch/service_urls.h"

#include <gtest/gtest.h>

namespace quarnel {
namespace {

TEST(ServiceUrls, OrdinaryDomainsStandInTheUrlsUnchanged) {
    EXPECT_EQ(siteSearchUrl("example.com", kLastDaySuffix), "http://www.baidu.com/s?wd=site%3Aexample.com&lm=1");
    EXPECT_EQ(siteSearchUrl("www.Ex-am_ple.com:8080/path~", kNoRestriction),
              "http://www.baidu.com/s?wd=site%3Awww.Ex-am_ple.com:8080/path~");
    EXPECT_EQ(pageRankUrl("example.com"), "http://pr.quarnel.example/querypr.asp?url=example.com");
    EXPECT_EQ(checkPageUrl("example.com"), "http://check.quarnel.example/divuv/?url=example.com");
    EXPECT_EQ(bannerPageUrl(), "http://www.quarnel.example/tb/vi60.html");
    EXPECT_EQ(checkSiteUrl(), "http://check.quarnel.example");
}

TEST(ServiceUrls, EverythingElseInTheDomainIsPercentEncoded) {
    const std::pair<std::string, std::string> cases[] = {
        {"a b", "a%20b"},
        {"x&lm=7#top", "x%26lm%3D7%23top"},
        {"100%?\"'<>\\", "100%25%3F%22%27%3C%3E%5C"},
        {"中文.cn", "%E4%B8%AD%E6%96%87.cn"},
        {std::string("a\0b\r\n", 5), "a%00b%0D%0A"},
        {"", ""},
    };
    for (const auto& [domain, encoded] : cases) {
        EXPECT_EQ(encodeDomainForUrl(domain), encoded) << domain;
    }
}

}  // namespace
}  // namespace quarnel
