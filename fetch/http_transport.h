#pragma once

#include <optional>
#include <string>

namespace quarnel {

// Moves one response body over the wire, nothing more: no decoding, no messages.
class HttpTransport {
public:
    virtual ~HttpTransport() = default;

    // The raw body of a complete response, whatever its status; nothing when the
    // request did not complete (no connection, broken off, over a limit).
    virtual std::optional<std::string> fetchBody(const std::string& url) = 0;
};

}  // namespace quarnel
