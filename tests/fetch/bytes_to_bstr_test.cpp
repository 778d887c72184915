#include "fetch/bytes_to_bstr.h"

#include <gtest/gtest.h>

#include <cstdint>
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
        // Where iconv differs from what browsers show, the browsers' reading is pinned.
        {"browser index over glibc",
         bytes({0xA3, 0xA0, 0xFE, 0x51, 0xFE, 0x52, 0xFE, 0x53, 0xFE, 0x6C, 0xFE, 0x76, 0xFE, 0x91}),
         "\u3000\uE816\uE817\uE818\uE831\uE83B\uE855"},
        {"vertical forms, not private use", bytes({0xA6, 0xD9, 0xA6, 0xDA, 0xA6, 0xDB, 0xA6, 0xDC, 0xA6, 0xDD,
                                                   0xA6, 0xDE, 0xA6, 0xDF, 0xA6, 0xEC, 0xA6, 0xED, 0xA6, 0xF3}),
         "\uFE10\uFE12\uFE11\uFE13\uFE14\uFE15\uFE16\uFE17\uFE18\uFE19"},
        {"ideographs, not private use",
         bytes({0xFE, 0x59, 0xFE, 0x61, 0xFE, 0x66, 0xFE, 0x67, 0xFE, 0x6D, 0xFE, 0x7E, 0xFE, 0x90, 0xFE, 0xA0}),
         "\u9FB4\u9FB5\u9FB6\u9FB7\u9FB8\u9FB9\u9FBA\u9FBB"},
        {"four-byte vertical form", bytes({0x84, 0x31, 0x82, 0x36, 0x84, 0x31, 0x83, 0x35}), "\uFE10\uFE19"},
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

// Every two-byte pair and every four-byte sequence of the BMP area, decoded in one
// go: a table regenerated from another iconv, or edited, changes the checksum.
TEST(BytesToBstrTest, WholeTableDecodesAsPinned) {
    std::string body;
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail != 0x7F) {
                body += bytes({static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)});
            }
        }
    }
    for (unsigned pointer = 0; pointer <= 39419; ++pointer) {
        body += bytes(
            {static_cast<unsigned char>(0x81 + pointer / 12600), static_cast<unsigned char>(0x30 + pointer / 1260 % 10),
             static_cast<unsigned char>(0x81 + pointer / 10 % 126), static_cast<unsigned char>(0x30 + pointer % 10)});
    }
    std::uint64_t fnv1a = 0xcbf29ce484222325;
    for (const char c : BytesToBstr(body, "gb18030")) {
        fnv1a = (fnv1a ^ static_cast<unsigned char>(c)) * 0x100000001b3;
    }
    EXPECT_EQ(fnv1a, 0xf97445db01f32aa1u);
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
