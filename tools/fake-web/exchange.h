#pragma once

#include "tools/fake-web/fake_web_server.h"
#include "tools/fake-web/request_head.h"

#include <functional>
#include <vector>

namespace fakeweb {

// Serves the requests that arrive on a connected socket one after the other: reports
// each head, and replies as the first matching route says. Returns when the client
// hangs up or asks to close, or after a reply that ends the connection. The caller
// closes the socket afterwards.
void serveConnection(int fd, const std::vector<Route>& routes, const std::function<void(const RequestHead&)>& record);

}  // namespace fakeweb
