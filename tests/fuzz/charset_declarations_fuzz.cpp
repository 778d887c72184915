// Reading what a page and its Content-Type declare, on any bytes: the <meta> scan looks at
// nothing past its window and finds only labels the decoder takes; the header reader gives
// only what a header parameter can hold.
#include "fetch/charset_labels.h"
#include "fetch/declared_charset.h"
#include "tests/fuzz/fuzz_expect.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The window alone in a buffer of its own size, so that a read past it trips AddressSanitizer.
    const std::vector<char> window(bytes.begin(), bytes.begin() + std::min(size, quarnel::kMetaWindow));

    const quarnel::MetaDeclaration whole = quarnel::metaCharset(bytes);
    const quarnel::MetaDeclaration windowed = quarnel::metaCharset({window.data(), window.size()});
    quarnel::fuzz::expect(whole.label == windowed.label && whole.passedOver == windowed.passedOver,
                          "bytes past the window change nothing");
    quarnel::fuzz::expect(whole.label.empty() || quarnel::charsetNamed(whole.label).has_value(),
                          "a label the scan finds is one the decoder takes");
    quarnel::fuzz::expect(whole.passedOver.empty() || !quarnel::charsetNamed(whole.passedOver),
                          "a label passed over is one the decoder does not take");

    const std::string charset = quarnel::headerCharset(bytes);
    quarnel::fuzz::expect(std::none_of(charset.begin(), charset.end(),
                                       [](char c) { return (c >= 0 && c < 0x20 && c != '\t') || c == 0x7F; }),
                          "the header's charset holds no control character");
    return 0;
}
