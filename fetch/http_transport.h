#pragma once

#include "base/expected.h"

#include <string>
#include <vector>

namespace quarnel {

// One GET: the address, and header lines ("Name: value") to send besides the client's own.
struct HttpRequest {
    std::string url;
    std::vector<std::string> headers;
    // Sent with the user's kept cookies, and keeping what the answer sets, where the
    // transport has a cookie file (rules for today's search pages ask for it).
    bool keepCookies = false;
};

// A complete response, whatever its status.
struct HttpReply {
    long status = 0;
    std::string contentType;  // the final response's Content-Type, as sent; empty without one
    std::string body;         // the raw bytes
};

// Moves one request over the wire, nothing more: no decoding, no messages. A request
// that did not complete (no connection, broken off, over a limit) fails with its reason.
class HttpTransport {
public:
    virtual ~HttpTransport() = default;

    virtual Expected<HttpReply> fetch(const HttpRequest& request) = 0;
};

}  // namespace quarnel
