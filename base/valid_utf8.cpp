#include "base/valid_utf8.h"

#include "base/memory_release.h"

namespace quarnel {
namespace {

constexpr std::size_t kLongestRun = 64 * 1024;

// The length of the well-formed sequence starting at `i`, or 0 when none starts there.
std::size_t sequenceLength(std::string_view bytes, std::size_t i) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x80) {
        return 1;
    }
    // The allowed range of the second byte is what rules out overlong forms,
    // surrogates and code points past U+10FFFF.
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : low;
        high = lead == 0xED ? 0x9F : high;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : low;
        high = lead == 0xF4 ? 0x8F : high;
    } else {
        return 0;
    }
    if (bytes.size() - i < length) {
        return 0;
    }
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    if (second < low || second > high) {
        return 0;
    }
    for (std::size_t k = 2; k < length; ++k) {
        if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

// How many bytes start no well-formed sequence.
std::size_t brokenBytes(std::string_view bytes) {
    std::size_t broken = 0;
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = sequenceLength(bytes, i);
        broken += length == 0 ? 1 : 0;
        i += length == 0 ? 1 : length;
    }
    return broken;
}

}  // namespace

bool isValidUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = sequenceLength(bytes, i);
        if (length == 0) {
            return false;
        }
        i += length;
    }
    return true;
}

std::string withReplacementCharacters(std::string bytes) {
    // Most pages are well-formed: they are kept as they came, not copied.
    const std::size_t broken = brokenBytes(bytes);
    if (broken == 0) {
        return bytes;
    }
    std::string text;
    text.reserve(bytes.size() + 2 * broken);  // each broken byte becomes three
    ReleaseBehind behind(bytes);
    const std::string_view view(bytes);
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < view.size();) {
        if (const std::size_t length = sequenceLength(view, i)) {
            i += length;
            // Copied in runs of a bounded length, so the bytes behind can be let go.
            if (i - runStart < kLongestRun) {
                continue;
            }
            text.append(view.substr(runStart, i - runStart));
        } else {
            // One U+FFFD per byte that starts no sequence: simple, and never loses the
            // well-formed text that follows.
            text.append(view.substr(runStart, i - runStart)).append("\uFFFD");
            ++i;
        }
        runStart = i;
        behind.passed(runStart);
    }
    text.append(view.substr(runStart));
    return text;
}

}  // namespace quarnel
