#pragma once

#include "base/expected.h"

#include <string>
#include <string_view>
#include <vector>

namespace quarnel {

// Which way a page is fetched: libcurl, or a browser engine that runs the page's scripts.
enum class TransportKind { Curl, Browser };

// One GET: the address, and header lines ("Name: value") to send besides the client's own.
struct HttpRequest {
    std::string url;
    std::vector<std::string> headers;
    // Sent with the user's kept cookies, and keeping what the answer sets, where the
    // transport has a cookie file (rules for today's search pages ask for it).
    bool keepCookies = false;
    TransportKind transport = TransportKind::Curl;
};

// What HttpReply::servedBy says.
inline constexpr std::string_view kServedByCurl = "curl";
inline constexpr std::string_view kServedByBrowser = "browser";
inline constexpr std::string_view kServedByCurlWithoutBrowser = "curl (no browser engine)";

// A complete response, whatever its status.
struct HttpReply {
    long status = 0;
    std::string contentType{};  // the final response's Content-Type, as sent; empty without one
    std::string body{};         // the raw bytes
    std::string servedBy{};     // which way the page came ("curl", "browser", ...), for the trace and the history
};

// Moves one request over the wire, nothing more: no decoding, no messages. A request
// that did not complete (no connection, broken off, over a limit) fails with its reason.
class HttpTransport {
public:
    virtual ~HttpTransport() = default;

    virtual Expected<HttpReply> fetch(const HttpRequest& request) = 0;
};

}  // namespace quarnel
