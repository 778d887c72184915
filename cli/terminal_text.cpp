#include "cli/terminal_text.h"

#include <array>
#include <utility>

namespace quarnel::cli {
namespace {

// The East Asian wide and fullwidth blocks a site's figures and reasons may hold.
constexpr std::array<std::pair<char32_t, char32_t>, 11> kWide = {{
    {0x1100, 0x115F},
    {0x2E80, 0x303E},
    {0x3041, 0x33FF},
    {0x3400, 0x4DBF},
    {0x4E00, 0x9FFF},
    {0xA000, 0xA4CF},
    {0xAC00, 0xD7A3},
    {0xF900, 0xFAFF},
    {0xFE30, 0xFE4F},
    {0xFF00, 0xFF60},
    {0x20000, 0x3FFFD},
}};

bool isWide(char32_t code) {
    for (const auto& [first, last] : kWide) {
        if (code >= first && code <= last) {
            return true;
        }
    }
    return code >= 0xFFE0 && code <= 0xFFE6;
}

}  // namespace

std::size_t terminalColumns(std::string_view text) {
    std::size_t columns = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        char32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length && i + k < text.size(); ++k) {
            code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        columns += isWide(code) ? 2 : 1;
        i += length;
    }
    return columns;
}

std::string padded(std::string_view text, std::size_t columns, bool right) {
    const std::size_t used = terminalColumns(text);
    const std::string gap(used < columns ? columns - used : 1, ' ');
    return right ? gap + std::string(text) : std::string(text) + gap;
}

}  // namespace quarnel::cli
