// The built-in current rules on pages of our own, each reproducing one structure of
// Baidu's result pages from 2008 to today.
#include "tests/query/current_over_https.h"

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace quarnel {
namespace {

namespace fs = std::filesystem;
using testing::CurrentReading;

std::string fixturePage(const std::string& name) {
    std::ifstream in(fs::path(QUARNEL_CURRENT_PAGES_DIR) / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The pages are kept in UTF-8; those of the GB family go over the wire GBK-encoded.
struct FixturePage {
    CurrentReading reading;
    bool gbk = false;
};

const FixturePage kFixturePages[] = {
    {{"table-gb2312.html", "1,234", false, "www.shuiguo-shop.cn", "2011-3-5"}, true},
    {{"table-undeclared.html", "760", false, "news.huayuan.cn", "2015-10-9"}, true},
    {{"card-then-result.html", "56,700", false, "www.lvxing-ji.com", "有快照"}},
    {{"result-with-mu.html", "3,210", false, "www.yinyue-wang.cn", "2021年4月30日"}},
    {{"site-name-no-snapshot.html", "", false, "news.zixun-wang.cn", "没有快照"}},
    {{"zhidao-answer.html", "8", false, "", "2016年3月12日"}},
    {{"site-box-today.html", "2,848", false, "", ""}},
    {{"site-tip.html", "27,400", false, "", ""}},
    {{"site-box-and-wording.html", "35", false, "", "", "2,848"}},
    {{"verification.html", "", true, "", ""}},
    {{"redirect-stub.html", "", true, "", ""}},
};

class CurrentRulesTest : public ::testing::Test {
protected:
    const fs::path folder_ = fs::temp_directory_path() / ("quarnel-current-rules-" + std::to_string(::getpid()));
};

TEST_F(CurrentRulesTest, ReadEachStructureOfTheResultPages) {
    testing::CurrentOverHttps https(folder_);
    for (const FixturePage& page : kFixturePages) {
        SCOPED_TRACE(page.reading.file);
        std::string body = fixturePage(page.reading.file);
        ASSERT_FALSE(body.empty());
        if (page.gbk) {
            body = fakeweb::toGbk(body);
        }
        testing::expectReads(https.run(body, *page.reading.host ? page.reading.host : "example.com"), page.reading);
    }
}

// The last day, week and month are date ranges that end at the moment of the query.
TEST_F(CurrentRulesTest, AsksForTheLastDayWeekAndMonthEndingNow) {
    testing::CurrentOverHttps https(folder_);
    https.clock.at = std::chrono::sys_days{std::chrono::December / 7 / 2026} + std::chrono::hours(8);  // 1796630400
    const testing::PageRun run = https.run(fixturePage("result-with-mu.html"), "example.com");
    const std::string search = "https://www.baidu.com/s?wd=site%3Aexample.com";
    EXPECT_EQ(run.requested, (std::vector<std::string>{
                                 search + "&gpc=stf%3D1796544000%2C1796630400%7Cstftype%3D1",
                                 search + "&gpc=stf%3D1796025600%2C1796630400%7Cstftype%3D1",
                                 search + "&gpc=stf%3D1794038400%2C1796630400%7Cstftype%3D1",
                                 search,
                             }));
}

// Open PageRank answers in JSON; its key goes in a header, and without one nothing is asked.
TEST(CurrentPageRank, ComesFromOpenPageRanksJsonOnlyWithAKeyAndOnlyForADomainItKnows) {
    const std::string good = R"({"status_code":200,"response":[{"status_code":200,"page_rank_decimal":4.56}]})";
    const struct {
        const char* name;
        std::string key;
        std::string answer;
        const char* pageRank;  // "" for none
        const char* reason;
    } cases[] = {
        {"with a key", "K3Y", good, "4.56", ""},
        {"refused", "K3Y", R"({"status_code":401,"error":"bad key"})", "", "the service answered status_code 401: bad key"},
        {"unknown domain", "K3Y",
         R"({"status_code":200,"response":[{"status_code":404,"error":"Domain not found","page_rank_decimal":0,"rank":null}]})",
         "", "the service answered status_code 404 for /response/0: Domain not found"},
        {"no response", "K3Y", R"({"status_code":200})", "", "no /response/0/page_rank_decimal in the answer"},
        {"not a number", "K3Y", R"({"status_code":200,"response":[{"page_rank_decimal":"n/a"}]})", "", "not a number"},
        {"no key", "", good, "", "no key"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testing::Answering transport{c.answer};
        const auto [controls, trace, messages] = testing::queryOnce(testing::current(), transport, "example.com", c.key);

        EXPECT_EQ(testing::shown(controls, ResultLabel::Label1), c.pageRank);
        EXPECT_NE(trace.reasonFor(Result::PageRank).find(c.reason), std::string::npos) << trace.reasonFor(Result::PageRank);
        const auto asked = std::ranges::count_if(
            transport.requests, [](const HttpRequest& r) { return r.url.find("openpagerank") != std::string::npos; });
        EXPECT_EQ(asked, c.key.empty() ? 0 : 1);
        if (asked == 1) {
            EXPECT_EQ(transport.requests.back().url, "https://openpagerank.com/api/v1.0/getPageRank?domains%5B0%5D=example.com");
            EXPECT_EQ(transport.requests.back().headers, std::vector<std::string>{"API-OPR: K3Y"});
        }
        EXPECT_EQ(formatTrace(trace).find("K3Y"), std::string::npos) << "the key never shows in the trace";
    }
}

}  // namespace
}  // namespace quarnel
