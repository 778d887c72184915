#include "fetch/bytes_to_bstr.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <stdexcept>
#include <string>

namespace quarnel {
namespace {

std::string bytes(std::initializer_list<unsigned char> bytes) {
    return std::string(bytes.begin(), bytes.end());
}

struct Case {
    const char* name;
    std::string body;
    std::string expected;
};

TEST(BytesToBstrTest, DecodesAndRecoversFromErrors) {
    const std::string ascii("<p class=\"x\">a\0\x7f</p>\n", 22);
    const Case cases[] = {
        {"empty", "", ""},
        {"ascii unchanged", ascii, ascii},
        {"two-byte", bytes({0xD6, 0xD0, 0xCE, 0xC4}), "\u4E2D\u6587"},
        {"gbk extension", bytes({0x88, 0xD2}), "\u5803"},
        {"trail 0x80", bytes({0x81, 0x80}), "\u4E90"},
        {"last two-byte", bytes({0xFE, 0xFE}), "\uE4C5"},
        {"single 0x80", bytes({0x80}), "\u20AC"},
        {"single 0xFF", bytes({0xFF}), "\uFFFD"},
        {"ascii trail kept", bytes({0x81, 0x7F}), "\uFFFD\x7F"},
        {"non-ascii trail eaten", bytes({0x81, 0xFF, 0x41}),
         "\uFFFD"
         "A"},
        {"lone lead at end", bytes({0x41, 0x81}), "A\uFFFD"},
        {"four-byte first", bytes({0x81, 0x30, 0x81, 0x30}), "\u0080"},
        {"four-byte E7C7", bytes({0x81, 0x35, 0xF4, 0x37}), "\uE7C7"},
        {"last bmp pointer", bytes({0x84, 0x31, 0xA4, 0x39}), "\uFFFF"},
        // Browsers still read the old four bytes of characters that moved to pairs.
        {"four-byte moved to a pair", bytes({0x82, 0x35, 0x91, 0x30}), "\u9FB7"},
        {"browser index over glibc", bytes({0xA3, 0xA0, 0xFE, 0x51}), "\u3000\uE816"},
        {"pointer gap", bytes({0x84, 0x31, 0xA5, 0x30, 0x41}),
         "\uFFFD"
         "A"},
        {"supplementary first", bytes({0x90, 0x30, 0x81, 0x30}), "\U00010000"},
        {"supplementary last", bytes({0xE3, 0x32, 0x9A, 0x35}), "\U0010FFFF"},
        {"past supplementary", bytes({0xE3, 0x32, 0x9A, 0x36}), "\uFFFD"},
        {"cut after second", bytes({0x81, 0x30}), "\uFFFD"},
        {"cut after third", bytes({0x81, 0x30, 0x81}), "\uFFFD"},
        {"bad third", bytes({0x81, 0x30, 0x41}),
         "\uFFFD"
         "0A"},
        {"bad third then more", bytes({0x81, 0x30, 0x41, 0x30}),
         "\uFFFD"
         "0A0"},
        {"bad fourth", bytes({0x81, 0x30, 0x81, 0x41}),
         "\uFFFD"
         "0\u4E04"},
        {"bad fourth non-ascii", bytes({0x81, 0x30, 0xD6, 0xD0}),
         "\uFFFD"
         "0\u4E2D"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(BytesToBstr(c.body, "gbk"), c.expected);
    }
}

// The ASCII scan works a word at a time; put the multibyte boundaries at
// every offset within a word.
TEST(BytesToBstrTest, MultibyteAtEveryAlignment) {
    for (std::size_t pad = 0; pad <= 17; ++pad) {
        SCOPED_TRACE(pad);
        const std::string before(pad, 'x');
        const std::string after(17 - pad, 'y');
        EXPECT_EQ(BytesToBstr(before + "\xD6\xD0" + after + "\x81", "gb2312"), before + "\u4E2D" + after + "\uFFFD");
    }
}

TEST(BytesToBstrTest, AcceptsEveryGbLabelLoosely) {
    for (const char* label : {"chinese", "csgb2312", "csiso58gb231280", "gb2312", "gb_2312", "gb_2312-80", "gbk",
                              "iso-ir-58", "x-gbk", "gb18030", "GB2312", " gbk ", "\t\n\f\r X-GBK \r\n"}) {
        SCOPED_TRACE(label);
        EXPECT_EQ(BytesToBstr("\xD6\xD0", label), "\u4E2D");
    }
}

TEST(BytesToBstrTest, RejectsOtherLabels) {
    for (const char* label : {"", " ", "utf-8", "big5", "gb 2312", "gbk2", "\vgbk"}) {
        SCOPED_TRACE(label);
        EXPECT_THROW(BytesToBstr("abc", label), std::invalid_argument);
    }
}

}  // namespace
}  // namespace quarnel
