#pragma once

#include "tests/support/test_authority.h"
#include "tools/fake-web/fake_web_server.h"

#include <filesystem>
#include <string>
#include <vector>

namespace quarnel::testing {

// example.com as the `current` rules ask about it, over HTTPS: Baidu's searches (the three
// with a time range and the one without) behind fake-web's gates, and Open PageRank's
// answer. What the rules then read: the counts, a first result on the domain's home page
// with a snapshot, and the PageRank.
struct CurrentSite {
    static constexpr const char* kDomain = "example.com";
    static constexpr const char* kRangedCount = "12";
    static constexpr const char* kAllCount = "10,000";
    static constexpr const char* kPageRank = "4.56";

    static std::vector<fakeweb::Route> routes(fakeweb::Gate rangedSearches, fakeweb::Gate allTimeSearch) {
        const std::string head =
            "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>site:example.com_百度搜索</title>"
            "</head><body><div class=\"nums\"><span>百度为您找到相关结果约";
        const std::string firstResult =
            "<div class=\"result c-container new-pmd\" mu=\"http://example.com/\"><h3 class=\"t\">"
            "<a href=\"http://www.baidu.com/link?url=1\">示例网站首页</a></h3><div class=\"c-abstract\">"
            "<span class=\"newTimeFactor\">2026年12月5日&nbsp;</span>示例网站</div>"
            "<a class=\"c-showurl\">example.com/</a> <a "
            "href=\"http://cache.baiducontent.com/c?m=1\">百度快照</a></div>";
        const std::string utf8 = "text/html; charset=utf-8";
        return {
            {.host = "www.baidu.com",
             .target = "/s?wd=site%3Aexample.com&gpc=*",
             .body = head + kRangedCount + "个</span></div></body></html>",
             .contentType = utf8,
             .gate = rangedSearches},
            {.host = "www.baidu.com",
             .target = "/s?wd=site%3Aexample.com",
             .body = head + kAllCount + "个</span></div>" + firstResult + "</body></html>",
             .contentType = utf8,
             .gate = allTimeSearch},
            {.host = "openpagerank.com",
             .target = "/api/v1.0/getPageRank?domains%5B0%5D=example.com",
             .body = std::string(R"({"status_code":200,"response":[{"status_code":200,"page_rank_decimal":)") +
                     kPageRank + "}]}",
             .contentType = "application/json"},
        };
    }

    // The authority behind the site's certificate (which names the verification gate's host
    // too), trusted by libcurl (CURL_CA_BUNDLE)
    // and by the browser engine of a user whose home is `home`, made in `folder`.
    static TestAuthority trustedAuthority(const std::filesystem::path& folder, const std::filesystem::path& home) {
        TestAuthority authority = makeTestAuthority(folder, {"www.baidu.com", std::string(fakeweb::kVerificationHost), "openpagerank.com"});
        trustInBrowserStore(home, authority);
        return authority;
    }
};

}  // namespace quarnel::testing
