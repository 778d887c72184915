// The GB decoder on any bytes: valid UTF-8 out, and no byte that can only stand for
// itself is lost, however broken the sequence before it.
#include "fetch/bytes_to_bstr.h"
#include "base/valid_utf8.h"
#include "tests/fuzz/fuzz_expect.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>

namespace {

// ASCII bytes that no GB18030 sequence takes as its second, third or fourth byte.
// UTF-8 output holds them only where they were decoded as themselves.
std::string neverTrailBytes(std::string_view bytes) {
    std::string kept;
    std::copy_if(bytes.begin(), bytes.end(), std::back_inserter(kept), [](unsigned char c) {
        return c < 0x30 || (c > 0x39 && c < 0x40) || c == 0x7F;
    });
    return kept;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    const std::string text = quarnel::BytesToBstr(body, "gbk");
    quarnel::fuzz::expect(quarnel::isValidUtf8(text), "the decoded text is valid UTF-8");
    quarnel::fuzz::expect(neverTrailBytes(text) == neverTrailBytes(body),
                          "every byte that cannot be a trail byte comes out as itself, in order");
    return 0;
}
