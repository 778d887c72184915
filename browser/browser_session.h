#pragma once

#include "browser/cookie_keeper.h"
#include "browser/page_load.h"

#include <QObject>
#include <QString>

#include <filesystem>
#include <memory>

class QWebEnginePage;
class QWebEngineProfile;

namespace quarnel {

// The browser engine behind the browser transport, in whichever process runs it (the
// window, or quarnel-browser). Pages that keep cookies load in a profile that shares the
// user's cookie jar; the others in one whose cookies last only as long as the process.
// Nothing is written to disk but the jar. Every request goes out with a desktop Chrome's
// User-Agent (the request's own when it brings one) and its Accept-Language. One page
// at a time; lives on the thread that runs Qt WebEngine.
class BrowserSession final : public QObject {
    Q_OBJECT

public:
    // Without a cookie file, the cookies of pages that keep them last as long as the process.
    explicit BrowserSession(const std::filesystem::path& cookieFile, PageLoadLimits limits = {});
    ~BrowserSession() override;

    // Starts loading `request`; `done` is called once with the reply, after the cookies
    // it brought have been saved into the jar.
    void load(const HttpRequest& request, PageLoad::Done done);

    // The profile whose cookies are the jar's, with the User-Agent and Accept-Language
    // last sent: a web view made on it is the same browser to a site, and the cookies
    // it gets go into the jar too.
    QWebEngineProfile* cookieProfile() const;

private:
    PageLoadLimits limits_;
    std::unique_ptr<QWebEngineProfile> cookieProfile_;
    std::unique_ptr<QWebEngineProfile> plainProfile_;
    std::unique_ptr<CookieKeeper> keeper_;
    std::unique_ptr<QWebEnginePage> cookiePage_;  // the pages go before their profiles do
    std::unique_ptr<QWebEnginePage> plainPage_;
    QString userAgent_;
    QString acceptLanguage_;
    std::unique_ptr<PageLoad> current_;  // the last load
};

}  // namespace quarnel
