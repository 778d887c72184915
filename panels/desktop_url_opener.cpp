#include "panels/desktop_url_opener.h"

#include <QByteArray>
#include <QDesktopServices>
#include <QUrl>

namespace quarnel {

void DesktopUrlOpener::open(const std::string& url) {
    // The URL is built already encoded; strict parsing keeps it byte for byte.
    QDesktopServices::openUrl(QUrl::fromEncoded(QByteArray::fromStdString(url), QUrl::StrictMode));
}

}  // namespace quarnel
