#include "fetch/bytes_to_bstr.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <tuple>

namespace quarnel {
namespace {

TEST(BytesToBstrTest, DecodesAndRecoversFromErrors) {
    const std::string ascii("<p class=\"x\">a\0\x7f</p>\n", 22);
    const std::tuple<const char*, std::string, std::string> cases[] = {
        {"empty", "", ""},
        {"ascii unchanged", ascii, ascii},
        {"two-byte", "\xD6\xD0\xCE\xC4", "\u4E2D\u6587"},
        {"gbk extension", "\x88\xD2", "\u5803"},
        {"trail 0x80", "\x81\x80", "\u4E90"},
        {"last two-byte", "\xFE\xFE", "\uE4C5"},
        {"single 0x80", "\x80", "\u20AC"},
        {"single 0xFF", "\xFF", "\uFFFD"},
        {"ascii trail kept", "\x81\x7F", "\uFFFD\x7F"},
        {"non-ascii trail eaten", "\x81\xFF\x41", "\uFFFDA"},
        {"lone lead at end", "\x41\x81", "A\uFFFD"},
        {"four-byte first", "\x81\x30\x81\x30", "\u0080"},
        {"four-byte E7C7", "\x81\x35\xF4\x37", "\uE7C7"},
        {"last bmp pointer", "\x84\x31\xA4\x39", "\uFFFF"},
        // Browsers still read the old four bytes of characters that moved to pairs.
        {"four-byte moved to a pair", "\x82\x35\x91\x30", "\u9FB7"},
        // Where iconv differs from what browsers show, the browsers' reading is pinned.
        {"browser index over glibc", "\xA3\xA0\xFE\x51\xFE\x52\xFE\x53\xFE\x6C\xFE\x76\xFE\x91",
         "\u3000\uE816\uE817\uE818\uE831\uE83B\uE855"},
        {"vertical forms, not private use",
         "\xA6\xD9\xA6\xDA\xA6\xDB\xA6\xDC\xA6\xDD\xA6\xDE\xA6\xDF\xA6\xEC\xA6\xED\xA6\xF3",
         "\uFE10\uFE12\uFE11\uFE13\uFE14\uFE15\uFE16\uFE17\uFE18\uFE19"},
        {"ideographs, not private use", "\xFE\x59\xFE\x61\xFE\x66\xFE\x67\xFE\x6D\xFE\x7E\xFE\x90\xFE\xA0",
         "\u9FB4\u9FB5\u9FB6\u9FB7\u9FB8\u9FB9\u9FBA\u9FBB"},
        {"four-byte vertical form", "\x84\x31\x82\x36\x84\x31\x83\x35", "\uFE10\uFE19"},
        {"pointer gap", "\x84\x31\xA5\x30\x41", "\uFFFDA"},
        {"supplementary first", "\x90\x30\x81\x30", "\U00010000"},
        {"supplementary last", "\xE3\x32\x9A\x35", "\U0010FFFF"},
        {"past supplementary", "\xE3\x32\x9A\x36", "\uFFFD"},
        {"cut after second", "\x81\x30", "\uFFFD"},
        {"cut after third", "\x81\x30\x81", "\uFFFD"},
        {"bad third", "\x81\x30\x41", "\uFFFD0A"},
        {"bad third then more", "\x81\x30\x41\x30", "\uFFFD0A0"},
        {"bad fourth", "\x81\x30\x81\x41", "\uFFFD0\u4E04"},
        {"bad fourth non-ascii", "\x81\x30\xD6\xD0", "\uFFFD0\u4E2D"},
    };
    for (const auto& [name, body, expected] : cases) {
        EXPECT_EQ(BytesToBstr(body, "gbk"), expected) << name;
    }
}

// The ASCII scan works a word at a time; put the multibyte boundaries at
// every offset within a word.
TEST(BytesToBstrTest, MultibyteAtEveryAlignment) {
    for (std::size_t pad = 0; pad <= 17; ++pad) {
        const std::string before(pad, 'x');
        const std::string after(17 - pad, 'y');
        EXPECT_EQ(BytesToBstr(before + "\xD6\xD0" + after + "\x81", "gb2312"), before + "\u4E2D" + after + "\uFFFD")
            << pad;
    }
}

// Every two-byte pair and every four-byte sequence of the BMP area, decoded in one
// go: a table regenerated from another iconv, or edited, changes the checksum.
TEST(BytesToBstrTest, WholeTableDecodesAsPinned) {
    std::string body;
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail != 0x7F) {
                body += {static_cast<char>(lead), static_cast<char>(trail)};
            }
        }
    }
    for (unsigned pointer = 0; pointer <= 39419; ++pointer) {
        body += {static_cast<char>(0x81 + pointer / 12600), static_cast<char>(0x30 + pointer / 1260 % 10),
                 static_cast<char>(0x81 + pointer / 10 % 126), static_cast<char>(0x30 + pointer % 10)};
    }
    std::uint64_t fnv1a = 0xcbf29ce484222325;
    for (const char c : BytesToBstr(body, "gb18030")) {
        fnv1a = (fnv1a ^ static_cast<unsigned char>(c)) * 0x100000001b3;
    }
    EXPECT_EQ(fnv1a, 0xf97445db01f32aa1u);
}

TEST(BytesToBstrTest, AcceptsEveryGbLabelLooselyAndNoOther) {
    for (const char* label : {"chinese", "csgb2312", "csiso58gb231280", "gb2312", "gb_2312", "gb_2312-80", "gbk",
                              "iso-ir-58", "x-gbk", "gb18030", "GB2312", " gbk ", "\t\n\f\r X-GBK \r\n"}) {
        EXPECT_EQ(BytesToBstr("\xD6\xD0", label), "\u4E2D") << label;
    }
    for (const char* label : {"", " ", "utf-8", "big5", "gb 2312", "gbk2", "\vgbk"}) {
        EXPECT_THROW(BytesToBstr("abc", label), std::invalid_argument) << label;
    }
}

}  // namespace
}  // namespace quarnel
