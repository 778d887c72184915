#pragma once

#include "fetch/http_transport.h"

#include <QLibrary>
#include <QString>

#include <memory>
#include <mutex>

namespace quarnel {

// The window's transport: libcurl's, from a library loaded on the first fetch rather
// than at start, where libcurl and the libraries it needs would delay the first paint.
// The library sends each request the way its flags say (see RoutingTransport). When the
// library cannot be loaded, no request completes.
class LateCurlTransport final : public HttpTransport {
public:
    // Requests that keep cookies keep them in `cookieFile`; pages that ask for a browser go
    // to `browser` (may be null: then through libcurl).
    LateCurlTransport(const QString& path, std::string cookieFile, HttpTransport* browser = nullptr);

    // The installed library beside this program's install, else the one in the build tree.
    static QString path();

    Expected<HttpReply> fetch(const HttpRequest& request) override;

private:
    HttpTransport* loaded();

    QLibrary library_;  // never unloaded: it must outlive transport_
    std::string cookieFile_;
    HttpTransport* browser_;
    std::once_flag loadOnce_;
    std::unique_ptr<HttpTransport> transport_;
};

}  // namespace quarnel
