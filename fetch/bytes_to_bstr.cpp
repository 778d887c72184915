#include "fetch/bytes_to_bstr.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <stdexcept>

namespace quarnel {
namespace {

// kGb18030TwoByte: pointer -> code point, 0 if unmapped.
// kGb18030RunFirstPointer / kGb18030RunFirstCodePoint: the four-byte BMP area
// as runs of consecutive mappings; a run starting at code point 0 is unmapped.
// Both come from the system iconv at build time (see gb18030_tablegen.cpp);
// that is also where pointer 7457 -> U+E7C7 comes from.
#include "gb18030_tables.inc"

constexpr char32_t kReplacement = 0xFFFD;
constexpr std::uint32_t kFourByteBmpLast = 39419;
constexpr std::uint32_t kFourByteSupplementaryFirst = 189000;
constexpr std::uint32_t kFourByteSupplementaryLast = 1237575;

// Browsers decode all of these as GB18030.
constexpr std::string_view kLabels[] = {"chinese",    "csgb2312", "csiso58gb231280", "gb2312", "gb_2312",
                                        "gb_2312-80", "gbk",      "iso-ir-58",       "x-gbk",  "gb18030"};

bool isAsciiWhitespace(char c) {
    return c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == ' ';
}

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
}

bool isGb18030Label(std::string_view label) {
    while (!label.empty() && isAsciiWhitespace(label.front()))
        label.remove_prefix(1);
    while (!label.empty() && isAsciiWhitespace(label.back()))
        label.remove_suffix(1);
    return std::any_of(std::begin(kLabels), std::end(kLabels), [&](std::string_view known) {
        return std::equal(label.begin(), label.end(), known.begin(), known.end(),
                          [](char a, char b) { return asciiLower(a) == b; });
    });
}

bool isDigit(unsigned b) {
    return b >= 0x30 && b <= 0x39;
}

// cp is never ASCII here: every ASCII byte is copied through directly.
void appendUtf8(std::string& out, char32_t cp) {
    char buf[4];
    std::size_t len;
    if (cp < 0x800) {
        buf[0] = static_cast<char>(0xC0 | cp >> 6);
        len = 2;
    } else if (cp < 0x10000) {
        buf[0] = static_cast<char>(0xE0 | cp >> 12);
        buf[1] = static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        len = 3;
    } else {
        buf[0] = static_cast<char>(0xF0 | cp >> 18);
        buf[1] = static_cast<char>(0x80 | (cp >> 12 & 0x3F));
        buf[2] = static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        len = 4;
    }
    buf[len - 1] = static_cast<char>(0x80 | (cp & 0x3F));
    out.append(buf, len);
}

// Returns 0 if the pair is unmapped.
char32_t twoByteCodePoint(unsigned lead, unsigned trail) {
    if (trail < 0x40 || trail == 0x7F || trail == 0xFF)
        return 0;
    return kGb18030TwoByte[(lead - 0x81) * 190 + trail - (trail < 0x7F ? 0x40 : 0x41)];
}

// Returns 0 if the pointer is unmapped.
char32_t fourByteCodePoint(std::uint32_t pointer) {
    if (pointer >= kFourByteSupplementaryFirst) {
        return pointer <= kFourByteSupplementaryLast ? 0x10000 + (pointer - kFourByteSupplementaryFirst) : 0;
    }
    if (pointer > kFourByteBmpLast)
        return 0;
    const auto* run =
        std::upper_bound(std::begin(kGb18030RunFirstPointer), std::end(kGb18030RunFirstPointer), pointer) - 1;
    const char32_t first = kGb18030RunFirstCodePoint[run - kGb18030RunFirstPointer];
    return first == 0 ? 0 : first + (pointer - *run);
}

// The decoder is written over positions rather than as a byte-at-a-time state
// machine: whenever the state machine would push bytes back on an error, those
// bytes are the ones right after the lead byte, so we resume at i + 1 instead.
// Each function below decodes one sequence starting at lead byte body[i] and
// returns where decoding continues.

std::size_t decodeFourByte(const unsigned char* body, std::size_t i, std::size_t n, std::string& out) {
    // A sequence cut off by the end of the body is one error, however long.
    if (i + 2 == n) {
        appendUtf8(out, kReplacement);
        return n;
    }
    const unsigned b3 = body[i + 2];
    if (b3 < 0x81 || b3 == 0xFF) {
        appendUtf8(out, kReplacement);
        return i + 1;
    }
    if (i + 3 == n) {
        appendUtf8(out, kReplacement);
        return n;
    }
    const unsigned b4 = body[i + 3];
    if (!isDigit(b4)) {
        appendUtf8(out, kReplacement);
        return i + 1;
    }
    const std::uint32_t pointer =
        (body[i] - 0x81) * 12600 + (body[i + 1] - 0x30) * 1260 + (b3 - 0x81) * 10 + (b4 - 0x30);
    const char32_t cp = fourByteCodePoint(pointer);
    appendUtf8(out, cp != 0 ? cp : kReplacement);
    return i + 4;
}

std::size_t decodeNonAscii(const unsigned char* body, std::size_t i, std::size_t n, std::string& out) {
    const unsigned lead = body[i];
    if (lead == 0x80 || lead == 0xFF) {
        appendUtf8(out, lead == 0x80 ? U'\u20AC' : kReplacement);
        return i + 1;
    }
    if (i + 1 == n) {
        appendUtf8(out, kReplacement);
        return n;
    }
    const unsigned trail = body[i + 1];
    if (isDigit(trail))
        return decodeFourByte(body, i, n, out);
    const char32_t cp = twoByteCodePoint(lead, trail);
    appendUtf8(out, cp != 0 ? cp : kReplacement);
    // An ASCII byte that failed as a trail byte is decoded again on its own.
    return cp == 0 && trail < 0x80 ? i + 1 : i + 2;
}

std::size_t asciiRunEnd(const unsigned char* body, std::size_t i, std::size_t n) {
    constexpr std::uint64_t kHighBits = 0x8080808080808080;
    for (; n - i >= 8; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, body + i, 8);
        if (word & kHighBits)
            break;
    }
    while (i < n && body[i] < 0x80)
        ++i;
    return i;
}

std::string decodeGb18030(std::string_view text) {
    const auto* body = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::string out;
    out.reserve(n + n / 2);  // enough unless the page is mostly errors or U+20AC
    std::size_t i = 0;
    while (i < n) {
        const std::size_t asciiEnd = asciiRunEnd(body, i, n);
        out.append(text.data() + i, asciiEnd - i);
        i = asciiEnd;
        while (i < n && body[i] >= 0x80)
            i = decodeNonAscii(body, i, n, out);
    }
    return out;
}

}  // namespace

std::string BytesToBstr(std::string_view body, std::string_view Cset) {
    if (!isGb18030Label(Cset)) {
        throw std::invalid_argument("unsupported character set: " + std::string(Cset));
    }
    return decodeGb18030(body);
}

}  // namespace quarnel
