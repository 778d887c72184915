#include "fetch/curl_routing_transport.h"

// What the window looks up after loading this library: its transport, which the caller
// owns, with cookies kept in `cookieFile` (a path; null or empty keeps none) and pages
// that ask for a browser sent to `browser` (may be null).
extern "C" __attribute__((visibility("default"))) quarnel::HttpTransport* quarnelCreateTransport(
    const char* cookieFile, quarnel::HttpTransport* browser) {
    return new quarnel::CurlRoutingTransport(cookieFile == nullptr ? "" : cookieFile, browser);
}
