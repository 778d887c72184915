#pragma once

#include <string>

namespace quarnel {

// Hands a URL to the user's web browser; never through a shell or a command line.
class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    virtual void open(const std::string& url) = 0;
};

}  // namespace quarnel
