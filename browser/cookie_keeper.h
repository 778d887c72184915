#pragma once

#include "fetch/cookie_jar.h"

#include <QObject>
#include <QTimer>

#include <filesystem>
#include <map>
#include <string>
#include <tuple>
#include <vector>

class QNetworkCookie;
class QWebEngineCookieStore;

namespace quarnel {

// Keeps the browser engine's cookies and the user's cookie jar the same: the jar's
// cookies go into the engine's store at once (before any page is loaded with it), and
// the store's cookies go back into the jar whenever they changed: a moment after a
// change, so a page setting many costs one save, and at once when asked. A failed save
// is told once on standard error; the cookies stay in the engine all the same.
class CookieKeeper final : public QObject {
    Q_OBJECT

public:
    CookieKeeper(QWebEngineCookieStore* store, std::filesystem::path jarFile);

    // Writes the store's cookies into the jar, when they changed since it was last written.
    void save();

private:
    using Key = std::tuple<std::string, std::string, std::string>;  // domain, path, name

    void added(const QNetworkCookie& cookie);
    void removed(const QNetworkCookie& cookie);
    std::vector<Cookie> current() const;

    CookieJar jar_;
    std::map<Key, Cookie> cookies_;
    std::vector<Cookie> saved_;
    std::string toldFailure_;
    QTimer soon_;
};

}  // namespace quarnel
