#include "fetch/curl_transport.h"

// What the window looks up after loading this library: a transport with the default
// limits, which the caller owns.
extern "C" __attribute__((visibility("default"))) quarnel::HttpTransport* quarnelCreateCurlTransport() {
    return new quarnel::CurlTransport();
}
