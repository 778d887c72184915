#include "fetch/http_page_fetcher.h"

#include "fetch/bytes_to_bstr.h"

#include <optional>

namespace quarnel {

HttpPageFetcher::HttpPageFetcher(HttpTransport& transport, MessageBox& messageBox)
    : transport_(transport), messageBox_(messageBox) {}

std::string HttpPageFetcher::getHTTPPage(const std::string& url) {
    std::optional<Expected<HttpReply>> reply;
    try {
        reply = transport_.fetch({.url = url, .headers = {}});
    } catch (...) {
        // A transport that gave up is a request that did not complete.
    }
    if (!reply || !*reply) {
        try {
            messageBox_.show(kCannotConnectMessage, url);
        } catch (...) {
            // Nothing more can be told; the caller still gets its empty page.
        }
        return {};
    }
    try {
        return BytesToBstr((*reply)->body, "GB2312");
    } catch (...) {
        return {};
    }
}

}  // namespace quarnel
