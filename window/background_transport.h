#pragma once

#include "fetch/http_transport.h"

namespace quarnel {

// Moves a request off the window's thread. The caller still waits for the answer,
// in a local event loop that keeps painting and timers going meanwhile. A page for the
// browser engine stays on the window's thread, the only one Qt WebEngine runs on; the
// engine keeps the window painting while it loads.
class BackgroundTransport final : public HttpTransport {
public:
    explicit BackgroundTransport(HttpTransport& inner);

    Expected<HttpReply> fetch(const HttpRequest& request) override;

private:
    HttpTransport& inner_;
};

}  // namespace quarnel
