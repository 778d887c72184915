#pragma once

#include "browser/browser_session.h"
#include "fetch/browser_protocol.h"

#include <QObject>
#include <QSocketNotifier>

namespace quarnel {

// quarnel-browser's side of the pipes: says it is ready, then answers each request it
// reads with the page the session loaded, one at a time. It quits the application when
// its input closes, when a write fails (nobody listens any more), or when the input
// breaks the protocol's framing; a request it cannot make sense of is answered with a
// failure, and the next one is read.
class HelperPipes final : public QObject {
    Q_OBJECT

public:
    HelperPipes(int input, int output, BrowserSession& session);

private:
    void readInput();
    void answerNext();
    void send(const std::string& message);

    int input_;
    int output_;
    BrowserSession& session_;
    QSocketNotifier readable_;
    browser_protocol::MessageReader reader_;
    bool busy_ = false;
};

}  // namespace quarnel
