#pragma once

#include "tools/fake-web/fake_web_server.h"
#include "tools/fake-web/request_head.h"

#include <functional>
#include <vector>

namespace fakeweb {

// Reads one request from a connected socket, reports its head, and replies as
// the first matching route says. The caller closes the socket afterwards.
void serveExchange(int fd, const std::vector<Route>& routes, const std::function<void(const RequestHead&)>& record);

}  // namespace fakeweb
