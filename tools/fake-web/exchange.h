#pragma once

#include "tools/fake-web/fake_web_server.h"
#include "tools/fake-web/request_head.h"

#include <functional>
#include <string_view>
#include <vector>

namespace fakeweb {

class TlsIdentity;

// What every connection is served from.
struct Service {
    const std::vector<Route>& routes;
    std::function<void(const RequestHead&, std::string_view scheme)> record;  // "http" or "https"
    const TlsIdentity* tls;  // for CONNECT tunnels; without one, CONNECT is refused like any other method
};

// Serves the requests that arrive on a connected socket one after the other: reports
// each head, and replies as the first matching route says; a CONNECT becomes a TLS
// tunnel whose requests are served the same way. Returns when the client hangs up or
// asks to close, or after a reply that ends the connection. The caller closes the
// socket afterwards.
void serveConnection(int fd, const Service& service);

}  // namespace fakeweb
