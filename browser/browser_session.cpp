#include "browser/browser_session.h"

#include <QRegularExpression>
#include <QTimer>
#include <QWebEngineHttpRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>

namespace quarnel {
namespace {

// Qt WebEngine names itself in its User-Agent ("QtWebEngine/6.4.2 Chrome/..."), which a
// site may answer differently than Chrome; without that word it is Chrome's.
QString chromeUserAgent(const QString& engineUserAgent) {
    static const QRegularExpression engineWord(QStringLiteral("QtWebEngine/\\S+ "));
    return QString(engineUserAgent).remove(engineWord);
}

// An off-the-record profile: its cookies and cache live in memory only.
std::unique_ptr<QWebEngineProfile> memoryProfile() {
    auto profile = std::make_unique<QWebEngineProfile>();
    profile->setHttpUserAgent(chromeUserAgent(profile->httpUserAgent()));
    return profile;
}

}  // namespace

BrowserSession::BrowserSession(const std::filesystem::path& cookieFile, PageLoadLimits limits)
    : limits_(limits), cookieProfile_(memoryProfile()), plainProfile_(memoryProfile()) {
    userAgent_ = cookieProfile_->httpUserAgent();
    acceptLanguage_ = cookieProfile_->httpAcceptLanguage();
    if (!cookieFile.empty()) {
        keeper_ = std::make_unique<CookieKeeper>(cookieProfile_->cookieStore(), cookieFile);
    }
    cookiePage_ = unattendedPage(cookieProfile_.get());
    plainPage_ = unattendedPage(plainProfile_.get());
}

BrowserSession::~BrowserSession() {
    current_.reset();
    if (keeper_) {
        keeper_->save();
    }
}

void BrowserSession::load(const HttpRequest& request, PageLoad::Done done) {
    if (current_ && current_->isActive()) {
        done(Failure{"the browser engine loads one page at a time"});
        return;
    }
    current_.reset();
    QWebEngineProfile* profile = request.keepCookies ? cookieProfile_.get() : plainProfile_.get();
    QWebEnginePage& page = request.keepCookies ? *cookiePage_ : *plainPage_;
    // These two go with every request the page makes, not only the first: the profile sends them.
    QString userAgent = userAgent_;
    QString acceptLanguage = acceptLanguage_;
    QWebEngineHttpRequest first(QUrl(QString::fromStdString(request.url), QUrl::StrictMode));
    for (const std::string& line : request.headers) {
        const std::size_t colon = line.find(':');
        const QByteArray name = QByteArray::fromStdString(line.substr(0, colon)).trimmed();
        const QByteArray value =
            colon == std::string::npos ? QByteArray() : QByteArray::fromStdString(line.substr(colon + 1)).trimmed();
        if (name.compare("User-Agent", Qt::CaseInsensitive) == 0) {
            userAgent = QString::fromUtf8(value);
        } else if (name.compare("Accept-Language", Qt::CaseInsensitive) == 0) {
            acceptLanguage = QString::fromUtf8(value);
        } else {
            first.setHeader(name, value);
        }
    }
    profile->setHttpUserAgent(userAgent);
    profile->setHttpAcceptLanguage(acceptLanguage);
    current_ = std::make_unique<PageLoad>(page, first, limits_, [this, done = std::move(done)](auto reply) {
        if (keeper_) {
            keeper_->save();
        }
        done(std::move(reply));
    });
}

QWebEngineProfile* BrowserSession::cookieProfile() const {
    return cookieProfile_.get();
}

}  // namespace quarnel
