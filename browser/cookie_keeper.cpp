#include "browser/cookie_keeper.h"

#include <QDateTime>
#include <QNetworkCookie>
#include <QUrl>
#include <QWebEngineCookieStore>

#include <iostream>

namespace quarnel {
namespace {

// Long enough for a page's burst of cookies to end, short enough that a window closed
// right after a verification has saved them.
constexpr std::chrono::milliseconds kSaveDelay{200};

std::string hostOf(const std::string& domain) {
    return domain.starts_with('.') ? domain.substr(1) : domain;
}

Cookie cookieOf(const QNetworkCookie& cookie) {
    const std::string domain = cookie.domain().toStdString();
    return {.domain = domain,
            .includeSubdomains = domain.starts_with('.'),
            .path = cookie.path().isEmpty() ? "/" : cookie.path().toStdString(),
            .secure = cookie.isSecure(),
            .expires = cookie.isSessionCookie() ? 0 : cookie.expirationDate().toSecsSinceEpoch(),
            .name = cookie.name().toStdString(),
            .value = cookie.value().toStdString(),
            .httpOnly = cookie.isHttpOnly()};
}

// The engine takes a cookie without a domain as one for its origin's host alone, and one
// with a domain as one for that domain and every host under it.
void putIntoStore(QWebEngineCookieStore& store, const Cookie& cookie) {
    QNetworkCookie networkCookie(QByteArray::fromStdString(cookie.name), QByteArray::fromStdString(cookie.value));
    const std::string host = hostOf(cookie.domain);
    if (cookie.includeSubdomains || cookie.domain.starts_with('.')) {
        networkCookie.setDomain(QString::fromStdString("." + host));
    }
    networkCookie.setPath(QString::fromStdString(cookie.path));
    networkCookie.setSecure(cookie.secure);
    networkCookie.setHttpOnly(cookie.httpOnly);
    if (cookie.expires != 0) {
        networkCookie.setExpirationDate(QDateTime::fromSecsSinceEpoch(cookie.expires));
    }
    store.setCookie(networkCookie, QUrl(QString::fromStdString((cookie.secure ? "https://" : "http://") + host + "/")));
}

}  // namespace

CookieKeeper::CookieKeeper(QWebEngineCookieStore* store, std::filesystem::path jarFile) : jar_(std::move(jarFile)) {
    soon_.setSingleShot(true);
    soon_.setInterval(kSaveDelay);
    connect(&soon_, &QTimer::timeout, this, &CookieKeeper::save);
    connect(store, &QWebEngineCookieStore::cookieAdded, this, &CookieKeeper::added);
    connect(store, &QWebEngineCookieStore::cookieRemoved, this, &CookieKeeper::removed);
    Expected<std::vector<Cookie>> loaded = jar_.load();
    if (!loaded) {
        std::cerr << "quarnel: cannot read the cookies: " << loaded.reason() << '\n';
        return;
    }
    for (const Cookie& cookie : *loaded) {
        cookies_[{cookie.domain, cookie.path, cookie.name}] = cookie;
        putIntoStore(*store, cookie);
    }
    saved_ = current();
}

void CookieKeeper::added(const QNetworkCookie& cookie) {
    Cookie kept = cookieOf(cookie);
    cookies_[{kept.domain, kept.path, kept.name}] = std::move(kept);
    soon_.start();
}

void CookieKeeper::removed(const QNetworkCookie& cookie) {
    const Cookie gone = cookieOf(cookie);
    cookies_.erase({gone.domain, gone.path, gone.name});
    soon_.start();
}

std::vector<Cookie> CookieKeeper::current() const {
    std::vector<Cookie> cookies;
    for (const auto& [key, cookie] : cookies_) {
        cookies.push_back(cookie);
    }
    return cookies;
}

void CookieKeeper::save() {
    soon_.stop();
    std::vector<Cookie> cookies = current();
    if (cookies == saved_) {
        return;
    }
    if (Expected<Done> saved = jar_.save(cookies); !saved) {
        if (saved.reason() != toldFailure_) {
            std::cerr << "quarnel: cannot save the cookies: " << saved.reason() << '\n';
            toldFailure_ = saved.reason();
        }
        return;
    }
    saved_ = std::move(cookies);
    toldFailure_.clear();
}

}  // namespace quarnel
