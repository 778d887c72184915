#pragma once

#include "fetch/http_transport.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>

class QWebEngineHttpRequest;
class QWebEngineLoadingInfo;
class QWebEnginePage;
class QWebEngineProfile;

namespace quarnel {

// The bounds of one page load, as libcurl has them for one request.
struct PageLoadLimits {
    // How long nothing may navigate before the page is read: a script that redirects or
    // reloads on load starts its navigation well within it.
    std::chrono::milliseconds settle{200};
    std::chrono::milliseconds total{30'000};
    std::size_t maxHtmlBytes = 16 * 1024 * 1024;
};

// A page nobody looks at, for loads: no dialogs, no file choosers, nothing on the
// console, and nowhere to go but http and https. Kept from one load to the next, so a
// site's pages reuse their process.
std::unique_ptr<QWebEnginePage> unattendedPage(QWebEngineProfile* profile);

// One request loaded in the browser engine, from the first navigation to the document
// its scripts leave behind: once the load has finished and nothing has navigated for the
// settle time since (neither a new load nor a move within the document), the document's
// HTML (document.documentElement.outerHTML) is the reply's body, as UTF-8. Redirects,
// script redirects and reloads are followed, http and https only. A page that has not
// settled within the total time, a failed load, a crashed renderer and HTML past the
// limit fail the request with that reason. `done` is called exactly once; the load may
// be deleted after that.
class PageLoad final : public QObject {
    Q_OBJECT

public:
    using Done = std::function<void(Expected<HttpReply>)>;

    // Loads `request` in `page` (one unattendedPage() made), whose profile carries the
    // User-Agent and Accept-Language for it and every request after.
    PageLoad(QWebEnginePage& page, const QWebEngineHttpRequest& request, PageLoadLimits limits, Done done);
    ~PageLoad() override;

    // Until `done` has been called.
    bool isActive() const { return !finished_; }

private:
    void onLoadingChanged(const QWebEngineLoadingInfo& info);
    void navigated();
    // Reads the document once the load has finished and nothing has navigated for the settle time.
    void readWhenSettled();
    void readDocument();
    void finish(Expected<HttpReply> reply);

    PageLoadLimits limits_;
    Done done_;
    QWebEnginePage* page_ = nullptr;
    QTimer settle_;
    QTimer deadline_;
    QElapsedTimer quietSince_;  // the last navigation, or the end of the last load
    bool begun_ = false;        // the first navigation has started
    int loading_ = 0;           // navigations begun and not yet finished
    long status_ = 0;
    bool finished_ = false;
};

}  // namespace quarnel
