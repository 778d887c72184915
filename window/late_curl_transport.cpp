#include "window/late_curl_transport.h"

#include "window/late_library_path.h"

#include <iostream>

namespace quarnel {

LateCurlTransport::LateCurlTransport(const QString& path, std::string cookieFile, HttpTransport* browser)
    : library_(path), cookieFile_(std::move(cookieFile)), browser_(browser) {}

QString LateCurlTransport::path() {
    return lateLibraryPath(QUARNEL_CURL_TRANSPORT_INSTALLED, QUARNEL_CURL_TRANSPORT_BUILT);
}

Expected<HttpReply> LateCurlTransport::fetch(const HttpRequest& request) {
    HttpTransport* transport = loaded();
    if (transport == nullptr) {
        return Failure{"the transport library could not be loaded"};
    }
    return transport->fetch(request);
}

HttpTransport* LateCurlTransport::loaded() {
    // Fetches may come from several threads at once; the first one loads.
    std::call_once(loadOnce_, [this] {
        using CreateTransport = HttpTransport* (*)(const char*, HttpTransport*);
        if (const auto create = reinterpret_cast<CreateTransport>(library_.resolve("quarnelCreateTransport"))) {
            transport_.reset(create(cookieFile_.c_str(), browser_));
        } else {
            // Every fetch will then fail with its box; this line tells why, once.
            std::cerr << "quarnel: " << library_.errorString().toStdString() << '\n';
        }
    });
    return transport_.get();
}

}  // namespace quarnel
