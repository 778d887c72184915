#include "browser/helper_pipes.h"

#include <QCoreApplication>

#include <unistd.h>

#include <cerrno>

namespace quarnel {

HelperPipes::HelperPipes(int input, int output, BrowserSession& session)
    : input_(input), output_(output), session_(session), readable_(input, QSocketNotifier::Read) {
    connect(&readable_, &QSocketNotifier::activated, this, &HelperPipes::readInput);
    send(browser_protocol::readyMessage());
}

void HelperPipes::readInput() {
    char buffer[65536];
    const ssize_t got = ::read(input_, buffer, sizeof buffer);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) {
        return;
    }
    if (got <= 0) {
        readable_.setEnabled(false);
        QCoreApplication::quit();
        return;
    }
    reader_.add({buffer, static_cast<std::size_t>(got)});
    if (reader_.broken()) {
        readable_.setEnabled(false);
        QCoreApplication::exit(2);
        return;
    }
    answerNext();
}

void HelperPipes::answerNext() {
    if (busy_) {
        return;
    }
    std::optional<std::string> message = reader_.next();
    if (!message) {
        return;
    }
    Expected<HttpRequest> request = browser_protocol::readRequest(*message);
    if (!request) {
        send(browser_protocol::replyMessage(Failure{"quarnel-browser: " + request.reason()}));
        answerNext();
        return;
    }
    busy_ = true;
    session_.load(*request, [this](Expected<HttpReply> reply) {
        send(browser_protocol::replyMessage(reply));
        busy_ = false;
        // A request that came while this one loaded is answered now, after its reply.
        QMetaObject::invokeMethod(this, &HelperPipes::answerNext, Qt::QueuedConnection);
    });
}

void HelperPipes::send(const std::string& message) {
    if (!browser_protocol::writeAll(output_, browser_protocol::framed(message))) {
        readable_.setEnabled(false);
        QCoreApplication::quit();
    }
}

}  // namespace quarnel
