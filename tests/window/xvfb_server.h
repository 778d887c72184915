#pragma once

#include <string>

#include <sys/types.h>

namespace quarnel::testing {

// An X server of its own for a test or a benchmark, on the first display number no
// other server holds, stopped when this goes. Without Xvfb installed it does not run.
class XvfbServer {
public:
    XvfbServer();
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    bool running() const { return !display_.empty(); }
    // ":N", for DISPLAY; empty when not running.
    const std::string& display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

}  // namespace quarnel::testing
