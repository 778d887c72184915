#pragma once

#include <string>

namespace quarnel {

// The only way the program reads a web page into text.
class PageFetcher {
public:
    virtual ~PageFetcher() = default;

    // One GET of `url`; the body decoded to UTF-8. Empty text when the request
    // did not complete or the body could not be decoded; never throws.
    virtual std::string getHTTPPage(const std::string& url) = 0;
};

}  // namespace quarnel
