// Any bytes read as a profile: the reader never crashes, and a profile it accepts has a
// name and asks only for http:// and https:// addresses.
#include "rules/profile_reader.h"
#include "tests/fuzz/fuzz_expect.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>

namespace {

bool startsWithHttpOrHttps(std::string url) {
    std::ranges::transform(url, url.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return url.starts_with("http://") || url.starts_with("https://");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using quarnel::fuzz::expect;
    const std::string_view toml(reinterpret_cast<const char*>(data), size);
    const auto profile = quarnel::rules::readProfile(toml, "fuzz.toml");
    if (!profile) {
        expect(profile.reason().starts_with("fuzz.toml:"), "a failure says where");
        return 0;
    }
    expect(!profile->name.empty(), "an accepted profile has a name");
    for (const auto& [name, page] : profile->pages) {
        expect(startsWithHttpOrHttps(page.url), "an accepted profile asks only for http:// and https://");
    }
    return 0;
}
