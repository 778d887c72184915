// The last-domain file with any bytes in it: one line of valid UTF-8 comes back, the
// first line itself when it is UTF-8, and saving what was read reads back the same.
#include "base/valid_utf8.h"
#include "controls/last_domain_file.h"
#include "tests/fuzz/fuzz_expect.h"

#include <cstddef>
#include <cstdint>
#include <fstream>

#include <unistd.h>

namespace {

// One file for the whole run, in memory where the system offers it: every save syncs.
struct ScratchFile {
    std::filesystem::path path =
        (std::filesystem::is_directory("/dev/shm") ? std::filesystem::path("/dev/shm")
                                                   : std::filesystem::temp_directory_path()) /
        ("quarnel-fuzz-dz-" + std::to_string(::getpid()) + ".txt");
    ~ScratchFile() { std::filesystem::remove(path); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using quarnel::fuzz::expect;
    static const ScratchFile scratch;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::ofstream(scratch.path, std::ios::binary | std::ios::trunc).write(bytes.data(), bytes.size());

    const quarnel::LastDomainFile file(scratch.path);
    const std::string domain = file.read();
    expect(quarnel::isValidUtf8(domain), "the domain read is valid UTF-8");
    expect(domain.find_first_of("\r\n") == std::string::npos, "the domain read is one line");
    const std::string_view firstLine = bytes.substr(0, bytes.find_first_of("\r\n"));
    expect(!quarnel::isValidUtf8(firstLine) || domain == firstLine, "a UTF-8 first line reads as it is");
    expect(file.write(domain) && file.read() == domain, "what was read is saved and read back unchanged");
    return 0;
}
