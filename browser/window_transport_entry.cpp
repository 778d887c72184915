// The window's browser transport, in a library of its own that the window loads at the
// first page that asks for the browser: Qt WebEngine takes longer to start than the
// window takes to show.
#include "browser/browser_session.h"

#include <QEventLoop>
#include <QQuickWindow>
#include <QWebEngineProfile>

#include <optional>

namespace quarnel {
namespace {

// Pages load in the window's process, on its thread, as Qt WebEngine requires; the
// caller waits in a local event loop that keeps the window painting meanwhile.
class WindowBrowserTransport final : public HttpTransport {
public:
    explicit WindowBrowserTransport(const char* cookieFile) : session_(cookieFile == nullptr ? "" : cookieFile) {}

    Expected<HttpReply> fetch(const HttpRequest& request) override {
        std::optional<Expected<HttpReply>> reply;
        QEventLoop waiting;
        session_.load(request, [&](Expected<HttpReply> loaded) {
            reply = std::move(loaded);
            waiting.quit();
        });
        if (!reply) {
            waiting.exec();
        }
        return std::move(*reply);
    }

    QWebEngineProfile* profile() const { return session_.cookieProfile(); }

private:
    BrowserSession session_;
};

}  // namespace
}  // namespace quarnel

// What the window looks up after loading this library: a transport that keeps the cookies
// of the pages that ask for it in `cookieFile` (null or empty: for as long as the window
// runs), which the caller owns.
extern "C" Q_DECL_EXPORT quarnel::HttpTransport* quarnelCreateBrowserTransport(const char* cookieFile) {
    // As for the web panels: whatever the engine draws is drawn on the CPU (see panels/web_panel_entry.cpp).
    if (QQuickWindow::sceneGraphBackend() != QStringLiteral("software")) {
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    }
    return new quarnel::WindowBrowserTransport(cookieFile);
}

// The QWebEngineProfile of `transport`'s pages that keep cookies: the jar's cookies and the
// User-Agent it sends. A web view made on it is the same browser to a site, and the
// cookies it gets go into the jar too.
extern "C" Q_DECL_EXPORT QObject* quarnelBrowserProfile(quarnel::HttpTransport* transport) {
    const auto* browser = dynamic_cast<quarnel::WindowBrowserTransport*>(transport);
    return browser != nullptr ? browser->profile() : nullptr;
}
