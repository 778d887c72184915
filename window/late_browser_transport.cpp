#include "window/late_browser_transport.h"

#include "window/late_library_path.h"
#include "window/web_panel_library.h"

#include <iostream>

namespace quarnel {

LateBrowserTransport::LateBrowserTransport(const QString& path, std::string cookieFile)
    : library_(path), cookieFile_(std::move(cookieFile)) {}

LateBrowserTransport::~LateBrowserTransport() = default;

QString LateBrowserTransport::path() {
    return lateLibraryPath(QUARNEL_BROWSER_TRANSPORT_INSTALLED, QUARNEL_BROWSER_TRANSPORT_BUILT);
}

Expected<HttpReply> LateBrowserTransport::fetch(const HttpRequest& request) {
    HttpTransport* transport = loaded();
    if (transport == nullptr) {
        return Failure{"the browser engine's library could not be loaded"};
    }
    return transport->fetch(request);
}

QObject* LateBrowserTransport::profile() {
    HttpTransport* transport = loaded();
    return transport != nullptr ? profileOf_(transport) : nullptr;
}

HttpTransport* LateBrowserTransport::loaded() {
    if (std::exchange(tried_, true)) {
        return transport_.get();
    }
    quietenWebEngine();
    using CreateTransport = HttpTransport* (*)(const char*);
    const auto create = reinterpret_cast<CreateTransport>(library_.resolve("quarnelCreateBrowserTransport"));
    profileOf_ = reinterpret_cast<QObject* (*)(HttpTransport*)>(library_.resolve("quarnelBrowserProfile"));
    if (create != nullptr && profileOf_ != nullptr) {
        transport_.reset(create(cookieFile_.c_str()));
    } else {
        // Every such page will then fail with its box; this line tells why, once.
        std::cerr << "quarnel: " << library_.errorString().toStdString() << '\n';
    }
    return transport_.get();
}

}  // namespace quarnel
