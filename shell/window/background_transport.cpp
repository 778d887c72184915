#include "shell/window/background_transport.h"

#include <QEventLoop>

#include <thread>

namespace quarnel {

BackgroundTransport::BackgroundTransport(HttpTransport& inner) : inner_(inner) {}

std::optional<std::string> BackgroundTransport::fetchBody(const std::string& url) {
    std::optional<std::string> body;
    QEventLoop waiting;
    std::thread worker([&] {
        try {
            body = inner_.fetchBody(url);
        } catch (...) {
            // A transport that gave up is a request that did not complete.
        }
        QMetaObject::invokeMethod(&waiting, &QEventLoop::quit, Qt::QueuedConnection);
    });
    waiting.exec();
    worker.join();
    return body;
}

}  // namespace quarnel
