#pragma once

#include "fetch/http_transport.h"

#include <QLibrary>
#include <QString>

#include <memory>
#include <mutex>

namespace quarnel {

// The window's transport: libcurl's, from a library loaded on the first fetch rather
// than at start, where libcurl and the libraries it needs would delay the first paint.
// When the library cannot be loaded, no request completes.
class LateCurlTransport final : public HttpTransport {
public:
    // Requests that keep cookies go through a second transport that keeps them in `cookieFile`.
    LateCurlTransport(const QString& path, std::string cookieFile);

    // The installed library beside this program's install, else the one in the build tree.
    static QString path();

    Expected<HttpReply> fetch(const HttpRequest& request) override;

private:
    HttpTransport* loaded(bool keepCookies);

    QLibrary library_;  // never unloaded: it must outlive transport_
    std::string cookieFile_;
    std::once_flag loadOnce_;
    std::unique_ptr<HttpTransport> transport_;
    std::unique_ptr<HttpTransport> cookieTransport_;
};

}  // namespace quarnel
