#include "fetch/page_decoding.h"

#include "base/valid_utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace quarnel {
namespace {

const std::string kGbBody = "<p>\xD6\xD0\xCE\xC4</p>";  // 中文 in GB2312
const std::string kUtf8Body = "<p>中文</p>";

TEST(PageDecodingTest, ChoosesTheTableAsDeclaredOrGuessed) {
    struct Case {
        const char* contentType;
        std::string body;
        const char* fixed;
        const char* fallback;
        const char* charset;
        const char* why;
    };
    const std::string gbMeta = "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=GB2312\">" + kGbBody;
    const std::string utf8Meta = "<META charset='utf-8'>" + kUtf8Body;
    const Case cases[] = {
        {"text/html; charset=utf-8", kGbBody, "gbk", "", "gb18030", "fixed by the profile"},
        {"text/html;Charset=\"GBK\"", kGbBody, "", "utf-8", "gb18030", "declared by header"},
        {"text/html; charset=\"utf-8\"", "<meta charset=gb2312>" + kUtf8Body, "", "", "utf-8", "declared by header"},
        {"text/html", gbMeta, "", "utf-8", "gb18030", "declared by meta"},
        {"", utf8Meta, "", "gb2312", "utf-8", "declared by meta"},
        {"", std::string(4096, ' ') + "<meta charset=utf-8>" + kGbBody, "", "gb2312", "gb18030", "profile's fallback"},
        {"text/html; charset=iso-8859-1", kUtf8Body, "", "", "utf-8", "undeclared, valid UTF-8"},
        {"text/html", kGbBody, "", "", "gb18030", "undeclared, not UTF-8: GB18030"},
        {"text/html; charset=cp936", kGbBody, "", "", "gb18030", "declared by header"},
        {"text/html; charset=x-klingon", kGbBody, "", "", "gb18030",
         "declared by header \"x-klingon\": unknown, ignored; undeclared, not UTF-8: GB18030"},
        // The header is a MIME type: parameters by name, quoted values whole, the first charset counts.
        {"text/html; xcharset=gbk", kUtf8Body, "", "", "utf-8", "undeclared, valid UTF-8"},
        {"charset=gbk", kUtf8Body, "", "", "utf-8", "undeclared, valid UTF-8"},
        {"text/html; charset = gbk", kUtf8Body, "", "", "utf-8", "undeclared, valid UTF-8"},
        {"text/html; q=\"a;charset=utf-8\"; CHARSET=gbk; charset=utf-8", kGbBody, "", "", "gb18030",
         "declared by header"},
        // A <meta> as a browser reads it before parsing the page.
        {"", "<!-- <meta charset=utf-8> --><meta charset=gbk>" + kGbBody, "", "", "gb18030", "declared by meta"},
        {"", "<!--> <meta charset=utf-8>" + kUtf8Body, "", "gbk", "utf-8", "declared by meta"},
        {"", "<meta charset=x-klingon><meta charset=gbk>" + kGbBody, "", "utf-8", "gb18030",
         "declared by meta \"x-klingon\": unknown, ignored; declared by meta"},
        {"", "<meta http-equiv=Content-Type content='text/html; charset=utf-8' charset=gbk>" + kGbBody, "", "",
         "gb18030", "declared by meta"},
        {"", "<meta charset=gbk content='text/html; charset=utf-8' http-equiv=content-type>" + kGbBody, "", "",
         "gb18030", "declared by meta"},
        {"", "<meta name=description content=\"1 > 0\" charset=\"utf-8\">" + kUtf8Body, "", "gbk", "utf-8",
         "declared by meta"},
        {"", "<meta content='text/html; charset=\"utf-16\"' http-equiv=\"CONTENT-TYPE\">" + kUtf8Body, "", "gbk",
         "utf-8", "declared by meta"},
    };
    for (const Case& c : cases) {
        const DecodedPage page =
            decodePage({.status = 200, .contentType = c.contentType, .body = c.body}, c.fixed, c.fallback);
        EXPECT_EQ(std::tie(page.charset, page.why), std::tie(c.charset, c.why))
            << c.contentType << " / " << c.body.substr(0, 60);
        EXPECT_NE(page.text.find("中文"), std::string::npos) << c.why;
    }
}

TEST(PageDecodingTest, MarkupThatDeclaresNothingLeavesAPageUndeclared) {
    const std::string decoys[] = {
        "<!-- <meta charset=utf-8> -->",
        "<meta name=keywords content=\"charset=utf-8\">",
        "<meta http-equiv=refresh content=\"0; url=/s?charset=utf-8\">",
        "<meta content=\"text/html; charset=utf-8\">",
        "<meta data-charset=\"utf-8\">",
        "<metadata charset=\"utf-8\">",
        "<img alt='<meta charset=utf-8>'>",
        std::string(4080, ' ') + "<meta charset=utf-8>",
    };
    for (const std::string& decoy : decoys) {
        const std::string body = decoy + kGbBody;
        const DecodedPage page = decodePage({.status = 200, .contentType = "text/html", .body = body}, "", "");
        EXPECT_EQ(std::tie(page.charset, page.why), std::tuple("gb18030", "undeclared, not UTF-8: GB18030"))
            << decoy.substr(0, 60);
    }
}

TEST(PageDecodingTest, BrokenUtf8DeclaredUtf8IsRepairedNotReadAsGb) {
    const std::string body = "<p>中文\xD6\xD0</p>\xE4\xB8";
    const DecodedPage page =
        decodePage({.status = 200, .contentType = "text/html; charset=UTF-8", .body = body}, "", "");
    EXPECT_EQ(page.text, "<p>中文\uFFFD\uFFFD</p>\uFFFD\uFFFD");
    EXPECT_TRUE(isValidUtf8(page.text));
}

TEST(PageDecodingTest, PagesOfMebibytesDecodeWholeWhileTheirBodiesAreLetGo) {
    // Pieces of several memory pages each, so that text not yet copied out spans pages.
    const std::string run(100'000, 'a');
    struct Case {
        const char* contentType;
        std::string piece;
        std::string text;
    };
    const Case cases[] = {
        {"text/html; charset=gb2312", "\x81\n" + run + kGbBody, "\uFFFD\n" + run + kUtf8Body},
        {"text/html; charset=utf-8", "\xD6" + run + kUtf8Body, "\uFFFD" + run + kUtf8Body},
        {"text/html", run + kUtf8Body, run + kUtf8Body},
    };
    for (const Case& c : cases) {
        std::string body;
        std::string text;
        for (int i = 0; i < 40; ++i) {
            body += c.piece;
            text += c.text;
        }
        const DecodedPage page = decodePage({.status = 200, .contentType = c.contentType, .body = body}, "", "");
        EXPECT_TRUE(page.text == text) << c.contentType << ": " << page.text.size() << " bytes, not " << text.size();
    }
}

}  // namespace
}  // namespace quarnel
