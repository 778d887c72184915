#include "fetch/curl_transport.h"

// What the window looks up after loading this library: transports with the default
// limits, which the caller owns.
extern "C" __attribute__((visibility("default"))) quarnel::HttpTransport* quarnelCreateCurlTransport() {
    return new quarnel::CurlTransport();
}

// The same with cookies kept in `cookieFile` (a path; null or empty keeps none).
extern "C" __attribute__((visibility("default"))) quarnel::HttpTransport* quarnelCreateCurlTransportWithCookies(
    const char* cookieFile) {
    return new quarnel::CurlTransport({}, cookieFile == nullptr ? "" : cookieFile);
}
