#include "window/background_transport.h"

#include <QEventLoop>

#include <exception>
#include <thread>

namespace quarnel {

BackgroundTransport::BackgroundTransport(HttpTransport& inner) : inner_(inner) {}

Expected<HttpReply> BackgroundTransport::fetch(const HttpRequest& request) {
    if (request.transport == TransportKind::Browser) {
        // Qt WebEngine runs on this thread only; it waits in a local event loop of its own.
        return inner_.fetch(request);
    }
    Expected<HttpReply> reply = Failure{"not sent"};
    std::exception_ptr thrown;
    QEventLoop waiting;
    std::thread worker([&] {
        // Nothing may escape the worker thread: what the transport throws is thrown
        // again on the caller's thread, where the fetcher deals with it.
        try {
            reply = inner_.fetch(request);
        } catch (...) {
            thrown = std::current_exception();
        }
        QMetaObject::invokeMethod(&waiting, &QEventLoop::quit, Qt::QueuedConnection);
    });
    waiting.exec();
    worker.join();
    if (thrown) {
        std::rethrow_exception(thrown);
    }
    return reply;
}

}  // namespace quarnel
