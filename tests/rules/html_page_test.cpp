#include "rules/html_page.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>

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
        {"\u3000百度\u2003为您\u202F", Finish::Text, "百度 为您"},
        {"https://News.China.com:8080/socialgd/1.html", Finish::Host, "news.china.com"},
        {"www.python.org/\u00A0", Finish::Host, "www.python.org"},
        {"tieba.baidu.com/p/2367...\u00A0", Finish::Host, "tieba.baidu.com"},
        {"百度知道", Finish::Host, std::nullopt},
        // A scheme only at the start; an address further on is part of the path.
        {"www.a.cn/link?url=http://b.cn/x", Finish::Host, "www.a.cn"},
        {"HTTPS://A.b.cn", Finish::Host, "a.b.cn"},
        {"svn+ssh://x.y.cn/", Finish::Host, "x.y.cn"},
        {"www.a.cn:8080/x", Finish::Host, "www.a.cn"},
        {"1http://x.cn", Finish::Host, std::nullopt},
        // The address ends at white space, whichever kind the page carries.
        {"www.example.com\u00A02014-8-28", Finish::Host, "www.example.com"},
        {"https://www.example.com 百度快照", Finish::Host, "www.example.com"},
        {"\u3000www.example.com\u3000", Finish::Host, "www.example.com"},
        {"www.example.com\u2009/x", Finish::Host, "www.example.com"},
        {"www.verylongname...", Finish::Host, std::nullopt},
        {"百度为您找到相关结果约72,900,000个", Finish::Number, "72,900,000"},
        {"找到相关网页21篇，用时0.136秒", Finish::Number, "21"},
        {"1,2345", Finish::Number, "1"},
        {"约12,345,6789个", Finish::Number, "12,345"},
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

TEST(HtmlPageTest, ContainsTakesEachKindOfArgumentAsXPathDoes) {
    const HtmlPage page(R"(<html><body><div><b>ab</b>cd</div><p title="题目">文<!--注释--></p></body></html>)");
    const std::pair<const char*, bool> cases[] = {
        {"//text()[contains(., 'cd')]", true},
        {"//div[contains(., 'bc')]", true},  // an element's text runs across its children
        {"//*[contains(@title, '题')]", true},
        {"//comment()[contains(., '注')]", true},
        {"contains(//text(), 'ab')", true},  // a node set stands for its first node
        {"contains(//text(), 'cd')", false},
        {"contains(//p/text() | //b/text(), 'ab')", true},  // first in document order
        {"contains(//b, 'a')", true},
        {"contains(123, '2')", true},
        {"contains(true(), 'ru')", true},
        {"contains(//nothing, '')", true},
        {"contains('文', //nothing)", true},
        {"contains(//p, //b)", false},
    };
    for (const auto& [expression, holds] : cases) {
        const auto match = page.select({.expression = expression});
        ASSERT_TRUE(match.ok()) << expression << ": " << match.reason();
        EXPECT_EQ(match->count > 0, holds) << expression;
    }
    EXPECT_FALSE(page.select({.expression = "contains('a')"}).ok());
}

// Today's pages carry their data as long inline scripts and comments: one of them alone
// passes the parser's usual limit of 10 MB.
TEST(HtmlPageTest, APageOfMebibytesParsedFromTextItLetsGoIsTheSamePage) {
    const std::string filler(16u << 20, 'x');
    // Mebibytes, so that the text is let go many times behind the parser.
    std::string text = "\uFEFF\uFEFF<html><body><script>" + filler + "</script><!--" + filler + "-->";
    for (int paragraph = 0; paragraph < 3; ++paragraph) {
        text += "<p>" + std::string(1u << 20, static_cast<char>('a' + paragraph)) + "段落</p><!-- " +
                std::to_string(paragraph) + " -->";
    }
    text += "<p id=last>末</p></body></html>";
    const HtmlPage kept(text);
    const std::unique_ptr<HtmlPage> consumed = HtmlPage::consuming(text);
    for (const char* expression : {"count(//p)", "string(//p[3])", "string(//comment()[3])", "string-length(/)"}) {
        const auto fromKept = kept.select({.expression = expression});
        const auto fromConsumed = consumed->select({.expression = expression});
        ASSERT_TRUE(fromKept.ok() && fromConsumed.ok()) << expression;
        EXPECT_TRUE(fromConsumed->value == fromKept->value) << expression;
    }
    EXPECT_EQ(kept.select({.expression = "count(//p)"})->value, "4");
    EXPECT_EQ(consumed->select({.expression = "string(//p[@id='last'])"})->value, "末");
}

TEST(HtmlPageTest, AnEmptyPageAndLeadingByteOrderMarksAreReadAsBefore) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "0"},
        {"\uFEFF", "0"},
        {"\uFEFF\uFEFF<p>x</p>", "1"},
        {"\uFEFF<p>x</p>", "1"},
        {"a\uFEFF", "1"},
    };
    for (const auto& [text, paragraphs] : cases) {
        const HtmlPage page(text);
        EXPECT_EQ(page.select({.expression = "count(//p)"})->value, paragraphs) << text;
        EXPECT_EQ(page.title(), "") << text;
    }
}

}  // namespace
}  // namespace quarnel::rules
