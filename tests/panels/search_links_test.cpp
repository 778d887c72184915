#include "panels/search_links.h"

#include <gtest/gtest.h>

namespace quarnel {
namespace {

TEST(SearchLinks, OpenTheSearchBehindEachColumnForTheTypedDomain) {
    const std::string search = "http://www.baidu.com/s?wd=site%3A";
    const std::pair<SearchLink, std::string> cases[] = {
        {SearchLink::Label8, search + "my%20site.cn&lm=1"},  {SearchLink::Label4, search + "my%20site.cn&lm=1"},
        {SearchLink::Label15, search + "my%20site.cn&lm=7"}, {SearchLink::Label16, search + "my%20site.cn&lm=30"},
        {SearchLink::Label17, search + "my%20site.cn"},      {SearchLink::Label18, search + "my%20site.cn"},
        {SearchLink::Label19, search + "my%20site.cn"},      {SearchLink::Image1, "http://check.quarnel.example"},
    };
    for (const auto& [link, url] : cases) {
        EXPECT_EQ(searchLinkUrl(link, "my site.cn"), url);
    }
    // A quote typed into the domain box stays inside the URL.
    EXPECT_EQ(searchLinkUrl(SearchLink::Label17, R"(a" --new-window "b)"), search + "a%22%20--new-window%20%22b");
}

}  // namespace
}  // namespace quarnel
