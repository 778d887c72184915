#pragma once

#include "fetch/curl_transport.h"
#include "fetch/routing_transport.h"

#include <filesystem>

namespace quarnel {

// What both front ends fetch through: libcurl without cookies and libcurl with the user's
// cookie jar, one handle each, and the browser engine when there is one (may be null).
class CurlRoutingTransport final : public HttpTransport {
public:
    CurlRoutingTransport(std::filesystem::path cookieFile, HttpTransport* browser, FetchLimits limits = {})
        : plain_(limits), withCookies_(limits, std::move(cookieFile)), routing_(plain_, withCookies_, browser) {}

    Expected<HttpReply> fetch(const HttpRequest& request) override { return routing_.fetch(request); }

private:
    CurlTransport plain_;
    CurlTransport withCookies_;
    RoutingTransport routing_;
};

}  // namespace quarnel
