#pragma once

#include "fetch/http_transport.h"

#include <QLibrary>
#include <QString>

#include <memory>
#include <string>

class QObject;

namespace quarnel {

// The window's browser engine: Qt WebEngine, from a library loaded at the first page that
// asks for it rather than at start. Its pages load in the window's process, on the
// window's thread, the only one Qt WebEngine runs on; the caller waits in a local event
// loop meanwhile. When the library cannot be loaded, no such page completes.
class LateBrowserTransport final : public HttpTransport {
public:
    // Pages that keep cookies share them with the jar in `cookieFile`.
    LateBrowserTransport(const QString& path, std::string cookieFile);
    ~LateBrowserTransport() override;

    // The installed library beside this program's install, else the one in the build tree.
    static QString path();

    Expected<HttpReply> fetch(const HttpRequest& request) override;

    // The engine's state for a web view that is to be the same browser to a site: the
    // QWebEngineProfile whose cookies are the jar's (what the view's pages get goes into
    // the jar too) and that sends the User-Agent the pages were loaded with. Loads the
    // library when no page has yet; null when it cannot be loaded.
    QObject* profile();

private:
    HttpTransport* loaded();

    QLibrary library_;  // never unloaded: it must outlive transport_
    std::string cookieFile_;
    bool tried_ = false;
    std::unique_ptr<HttpTransport> transport_;
    QObject* (*profileOf_)(HttpTransport*) = nullptr;
};

}  // namespace quarnel
