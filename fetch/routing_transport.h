#pragma once

#include "fetch/http_transport.h"

namespace quarnel {

// Sends each request the way its flags say, so a page's flags mean the same in every front
// end: to libcurl without cookies, to libcurl with the user's cookie jar, or to a browser
// engine. Without a browser engine, a page that asks for one goes through libcurl with
// the jar, and its reply says so.
class RoutingTransport final : public HttpTransport {
public:
    // `browser` may be null.
    RoutingTransport(HttpTransport& plain, HttpTransport& withCookies, HttpTransport* browser);

    Expected<HttpReply> fetch(const HttpRequest& request) override;

private:
    HttpTransport& plain_;
    HttpTransport& withCookies_;
    HttpTransport* browser_;
};

}  // namespace quarnel
