// fake-web's request parser on any bytes: it never reads out of bounds, and what it
// tells the server keeps to its promises.
#include "tests/fuzz/fuzz_expect.h"
#include "tools/fake-web/request_head.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using quarnel::fuzz::expect;
    const std::string_view head(reinterpret_cast<const char*>(data), size);
    const fakeweb::RequestHead request = fakeweb::parseRequestHead(head);

    expect(request.line == head.substr(0, head.find("\r\n")), "the line is the head up to its first CRLF");
    expect(request.target.empty() || request.target.front() == '/', "a target starts with a slash");
    expect(request.host.empty() == request.target.empty(), "a target comes with a host, and only then");
    expect(!request.method.empty() || request.host.empty(), "a malformed line names no host");
    const std::string& host = request.host;
    expect(host.empty() || (host.front() == '[' ? host.back() == ']' : host.find(':') == std::string::npos),
           "the host carries no port");
    return 0;
}
