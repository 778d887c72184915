#pragma once

#include "fetch/browser_protocol.h"
#include "fetch/http_transport.h"

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quarnel {

// How long the helper may take: to start its browser engine, to answer one request (the
// engine gives up on a page itself after 30 s; this is the limit for a helper that hangs),
// and to end once its input has closed.
struct HelperTimeouts {
    std::chrono::milliseconds ready{30'000};
    std::chrono::milliseconds answer{45'000};
    std::chrono::milliseconds exit{10'000};
};

// Pages loaded by a browser engine in a helper process (quarnel-browser), for a program
// that links no Qt. The helper is started at the first request, without a shell, and
// serves every later one; a helper that does not answer in time, ends, or says something
// that is not a reply is ended, its request failed with the reason, and the next request
// starts a new one. Destroying the transport closes the helper's input, which ends it,
// and waits for it. One request at a time, from one thread.
class BrowserProcessTransport final : public HttpTransport {
public:
    // `arguments` are the program's own options, fixed by the caller: nothing of a page.
    BrowserProcessTransport(std::filesystem::path program, std::vector<std::string> arguments,
                            HelperTimeouts timeouts = {});
    ~BrowserProcessTransport() override;
    BrowserProcessTransport(const BrowserProcessTransport&) = delete;
    BrowserProcessTransport& operator=(const BrowserProcessTransport&) = delete;

    Expected<HttpReply> fetch(const HttpRequest& request) override;

private:
    Expected<Done> start();
    // The next message from the helper, waiting no longer than `limit`.
    Expected<std::string> receive(std::chrono::milliseconds limit);
    // Closes the helper's input and waits `grace` for it to end; then it is killed.
    void stop(std::chrono::milliseconds grace);
    // How it ended, once it has within `limit` (empty when that is not known); nothing
    // while it still runs.
    std::optional<std::string> waitForEnd(std::chrono::milliseconds limit);
    // How the helper ended, when it has; empty when it still runs or that is not known.
    std::string endedReason();

    std::filesystem::path program_;
    std::vector<std::string> arguments_;
    HelperTimeouts timeouts_;
    pid_t child_ = -1;
    int childFd_ = -1;  // the helper as a descriptor that reads as ready once it has ended
    int toChild_ = -1;
    int fromChild_ = -1;
    browser_protocol::MessageReader reader_;
};

}  // namespace quarnel
