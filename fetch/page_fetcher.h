#pragma once

#include "fetch/http_transport.h"

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

namespace quarnel {

// One page to fetch: its address, header lines to send besides the client's own, and
// how its text is encoded (a fixed character set, or empty for "as the page declares").
struct PageRequest {
    PageRequest(std::string address) : url(std::move(address)) {}  // NOLINT: a plain GET of a GB2312 page

    std::string url;
    std::vector<std::string> headers;
    std::string charset = "gb2312";
    std::string fallback;
    bool keepCookies = false;
    TransportKind transport = TransportKind::Curl;
};

// A fetched page as text, and how it came: what the explain trace tells.
struct FetchedPage {
    std::string text;  // empty when the request did not complete
    bool completed = false;
    long status = 0;
    std::size_t bytes = 0;
    std::string charset;  // the table the body was decoded with
    std::string why;      // why that table
    std::string failure;  // why the request did not complete
    std::string servedBy;  // which way the page came (HttpReply::servedBy)
    std::chrono::milliseconds elapsed{0};
};

// The only way the program reads a web page into text.
class PageFetcher {
public:
    virtual ~PageFetcher() = default;

    // One GET; the body decoded to UTF-8. Empty text when the request did not complete
    // or the body could not be decoded; never throws.
    virtual FetchedPage getHTTPPage(const PageRequest& request) = 0;
};

}  // namespace quarnel
