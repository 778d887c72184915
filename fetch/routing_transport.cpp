#include "fetch/routing_transport.h"

namespace quarnel {

RoutingTransport::RoutingTransport(HttpTransport& plain, HttpTransport& withCookies, HttpTransport* browser)
    : plain_(plain), withCookies_(withCookies), browser_(browser) {}

Expected<HttpReply> RoutingTransport::fetch(const HttpRequest& request) {
    if (request.transport != TransportKind::Browser) {
        return (request.keepCookies ? withCookies_ : plain_).fetch(request);
    }
    // A browser keeps cookies as browsers do; libcurl standing in for it keeps them too.
    Expected<HttpReply> reply = browser_ != nullptr ? browser_->fetch(request) : withCookies_.fetch(request);
    if (reply && browser_ == nullptr) {
        reply->servedBy = kServedByCurlWithoutBrowser;
    } else if (reply && reply->servedBy.empty()) {
        reply->servedBy = kServedByBrowser;
    }
    return reply;
}

}  // namespace quarnel
