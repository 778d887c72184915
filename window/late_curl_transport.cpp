#include "window/late_curl_transport.h"

#include "window/late_library_path.h"

#include <iostream>

namespace quarnel {

LateCurlTransport::LateCurlTransport(const QString& path, std::string cookieFile)
    : library_(path), cookieFile_(std::move(cookieFile)) {}

QString LateCurlTransport::path() {
    return lateLibraryPath(QUARNEL_CURL_TRANSPORT_INSTALLED, QUARNEL_CURL_TRANSPORT_BUILT);
}

Expected<HttpReply> LateCurlTransport::fetch(const HttpRequest& request) {
    HttpTransport* transport = loaded(request.keepCookies);
    if (transport == nullptr) {
        return Failure{"the transport library could not be loaded"};
    }
    return transport->fetch(request);
}

HttpTransport* LateCurlTransport::loaded(bool keepCookies) {
    // Fetches may come from several threads at once; the first one loads.
    std::call_once(loadOnce_, [this] {
        using CreateTransport = HttpTransport* (*)();
        using CreateCookieTransport = HttpTransport* (*)(const char*);
        const auto create = reinterpret_cast<CreateTransport>(library_.resolve("quarnelCreateCurlTransport"));
        const auto createWithCookies =
            reinterpret_cast<CreateCookieTransport>(library_.resolve("quarnelCreateCurlTransportWithCookies"));
        if (create != nullptr && createWithCookies != nullptr) {
            transport_.reset(create());
            cookieTransport_.reset(createWithCookies(cookieFile_.c_str()));
        } else {
            // Every fetch will then fail with its box; this line tells why, once.
            std::cerr << "quarnel: " << library_.errorString().toStdString() << '\n';
        }
    });
    return keepCookies ? cookieTransport_.get() : transport_.get();
}

}  // namespace quarnel
