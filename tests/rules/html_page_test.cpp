#include "rules/html_page.h"

#include "fetch/page_decoding.h"

#include <gtest/gtest.h>
#include <toml++/toml.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

namespace quarnel::rules {
namespace {

TEST(FinishTextTest, MakesEachValueAsPrinted) {
    struct Case {
        const char* text;
        Finish finish;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"\u00A0 百度\n\t为您\u00A0\u00A0找到 ", Finish::Text, "百度 为您 找到"},
        {"https://News.China.com:8080/socialgd/1.html", Finish::Host, "news.china.com"},
        {"www.python.org/\u00A0", Finish::Host, "www.python.org"},
        {"tieba.baidu.com/p/2367...\u00A0", Finish::Host, "tieba.baidu.com"},
        {"百度知道", Finish::Host, std::nullopt},
        {"www.verylongname...", Finish::Host, std::nullopt},
        {"百度为您找到相关结果约72,900,000个", Finish::Number, "72,900,000"},
        {"找到相关网页21篇，用时0.136秒", Finish::Number, "21"},
        {"百度为您找到以下结果", Finish::Number, std::nullopt},
        {"2019年9月22日\u00A0-\u00A0", Finish::Date, "2019年9月22日"},
        {"seinse.net.cn/  2K 2008-4-21  ", Finish::Date, "2008-4-21"},
        {"12008-4-21 2020-13-1 2020-1-123 2021-5-10", Finish::Date, "2021-5-10"},
        {"6小时前", Finish::Date, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(finishText(c.text, c.finish), c.expected) << c.text;
    }
}

TEST(HtmlPageTest, AnswersEveryKindOfXPathResult) {
    const HtmlPage page(R"(<html><head><title> 百度&nbsp;搜索 </title></head><body>
        <div id="a" mu="https://www.example.com/x"><script>var s = "<b>";</script><b>一</b>&amp;二</div>
        <div id="b">三</div></body></html>)");
    EXPECT_EQ(page.title(), "百度 搜索");

    const auto divs = page.select({.expression = "//div", .finish = Finish::Text});
    ASSERT_TRUE(divs.ok()) << divs.reason();
    EXPECT_EQ(divs->count, 2u);
    EXPECT_EQ(divs->value, "一&二");
    const HtmlPage block(divs->outerHtml);
    EXPECT_EQ(block.select({.expression = "/html/body/*[1]/@mu", .finish = Finish::Host})->value, "www.example.com");

    EXPECT_EQ(page.select({.expression = "string(//div[2])"})->value, "三");
    EXPECT_EQ(page.select({.expression = "count(//div)"})->value, "2");
    EXPECT_EQ(page.select({.expression = "boolean(//p)"})->count, 0u);
    EXPECT_EQ(page.select({.expression = "//p"})->count, 0u);
    EXPECT_FALSE(page.select({.expression = "//div[", .finish = Finish::Text}).ok());
    EXPECT_FALSE(page.select({.expression = "nosuchfunction()", .finish = Finish::Text}).ok());
}

TEST(HtmlPageTest, ParsesSixteenMebibytesAndAnEmptyBody) {
    // Today's pages carry their data as long inline scripts and comments.
    const std::string filler(16u << 20, 'x');
    const HtmlPage big("<html><body><script>" + filler + "</script><!--" + filler +
                       "--><p id=\"last\">末</p></body></html>");
    EXPECT_EQ(big.select({.expression = "string(//p[@id='last'])"})->value, "末");

    const HtmlPage empty("");
    EXPECT_EQ(empty.select({.expression = "//p"})->count, 0u);
    EXPECT_EQ(empty.title(), "");
}

// An XPath rule of the current profile, as written in its file.
XPathRule currentRule(const toml::table& profile, std::string_view key) {
    const std::string_view finish = profile[key]["finish"].value_or(std::string_view("text"));
    return {.expression = profile[key]["xpath"].value_or(std::string()),
            .finish = finish == "number" ? Finish::Number
                      : finish == "host" ? Finish::Host
                      : finish == "date" ? Finish::Date
                                         : Finish::Text};
}

TEST(CurrentProfileTest, ReadsEverySavedResultPage) {
    const std::filesystem::path folder = QUARNEL_REALPAGES_DIR;
    if (!std::filesystem::is_directory(folder)) {
        GTEST_SKIP() << "no saved pages at " << folder;
    }
    struct Case {
        const char* file;
        std::optional<std::string> count;
        bool blocked;
        std::optional<std::string> host;
        std::optional<std::string> snapshot;
    };
    const auto none = std::nullopt;
    const Case cases[] = {
        {"baidu_2008-06-19_ordinary_gb2312_wayback.html", "21", false, "seinse.net.cn", "2008-4-21"},
        {"baidu_2013-06-25_tn-baidufir_search-within-results_wayback.html", none, false, none, none},
        {"baidu_2015-10-14_site-huawei.com_tn-baidulocal.html", "760", false, "xinsheng.huawei.com", "2015-10-9"},
        {"baidu_2018-03-27_https-to-http-redirect-stub_wayback.html", none, true, none, none},
        {"baidu_2018-09-18_ordinary_wayback.html", "16", false, "www.yuezi668.com", "没有快照"},
        {"baidu_2019-10-02_ordinary_wayback.html", "32", false, none, "2014年8月28日"},
        {"baidu_2020-06-13_captcha-security-check.html", none, true, none, none},
        {"baidu_2020-08-18_ordinary_count-72900000.html", "72,900,000", false, "www.python.org", "没有快照"},
        {"baidu_2020-08-20_ordinary_count-2.html", "2", false, "ggzy.jiangxi.gov.cn", "没有快照"},
        {"baidu_2020-08-27_ordinary_count-0_no-results.html", "0", false, none, none},
        {"baidu_2020-10-08_ordinary_count-1.html", "1", false, none, none},
        {"baidu_2021-05-10_ordinary_hello.html", "100,000,000", false, "www.iciba.com", "没有快照"},
        {"baidu_2022-12-10_ordinary_no-snapshot-link.html", "100,000,000", false, "news.china.com", "没有快照"},
    };
    const toml::table profile = toml::parse_file(QUARNEL_PROFILES_DIR "/current.toml");
    const XPathRule countRule = currentRule(profile, "all_time_count"),
                    blockRule = currentRule(profile, "first_result"), hostRule = currentRule(profile, "link_host"),
                    snapshotRule = currentRule(profile, "snapshot");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        std::ifstream file(folder / c.file, std::ios::binary);
        const bool gb2312 = std::string_view(c.file).find("gb2312") != std::string_view::npos;
        const DecodedPage decoded = decodePage({.status = 200,
                                                .contentType = gb2312 ? "text/html; charset=gb2312" : "text/html",
                                                .body = {std::istreambuf_iterator<char>(file), {}}},
                                               "", "");
        const HtmlPage page(decoded.text);

        bool blocked = false;
        for (const toml::node& rule : *profile["blocked"].as_array()) {
            blocked = blocked ||
                      decoded.text.find(rule.as_table()->get_as<std::string>("contains")->get()) != std::string::npos;
        }
        const auto block = page.select(blockRule);
        ASSERT_TRUE(block.ok()) << block.reason();
        std::optional<std::string> host, snapshot;
        if (block->count > 0) {
            const HtmlPage blockPage(block->outerHtml);
            host = blockPage.select(hostRule)->value;
            snapshot = blockPage.select(snapshotRule)->value.value_or(profile["snapshot"]["otherwise"].value_or(""));
        }
        const std::optional<std::string> count = page.select(countRule)->value;
        EXPECT_EQ(count, c.count);
        EXPECT_EQ(blocked, c.blocked);
        EXPECT_EQ(host, c.host);
        EXPECT_EQ(snapshot, c.snapshot);
        for (const auto& value : {count, host, snapshot, block->value}) {
            EXPECT_EQ(value.value_or("").find('<'), std::string::npos) << *value;
            EXPECT_EQ(value.value_or("").find("\uFFFD"), std::string::npos) << *value;
        }
    }
}

}  // namespace
}  // namespace quarnel::rules
