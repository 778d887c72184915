#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace fakeweb {

struct RequestHead {
    std::string line;    // request line as received, without CRLF
    std::string method;  // empty when the request line is malformed
    std::string host;    // without port; empty when no host could be told
    std::string target;  // path plus optional query, always starting with '/'
    std::string cookie;  // the Cookie field's value; empty without one
    std::optional<std::size_t> contentLength;  // of a body that follows; none without the field or when it is no number
    bool wantsClose =
        true;  // no further request on this connection: "Connection: close", or HTTP/1.0 without keep-alive
};

// head: the bytes up to and including the blank line that ends the header block.
RequestHead parseRequestHead(std::string_view head);

}  // namespace fakeweb
