#include "fetch/http_page_fetcher.h"

#include "fetch/page_decoding.h"

#include <optional>
#include <utility>

namespace quarnel {

HttpPageFetcher::HttpPageFetcher(HttpTransport& transport, MessageBox& messageBox)
    : transport_(transport), messageBox_(messageBox) {}

FetchedPage HttpPageFetcher::getHTTPPage(const PageRequest& request) {
    FetchedPage page;
    const auto start = std::chrono::steady_clock::now();
    std::optional<Expected<HttpReply>> reply;
    try {
        reply = transport_.fetch({.url = request.url,
                                  .headers = request.headers,
                                  .keepCookies = request.keepCookies,
                                  .transport = request.transport});
    } catch (const std::exception& error) {
        page.failure = error.what();
    } catch (...) {
        page.failure = "the transport gave up";
    }
    page.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    if (reply && !*reply) {
        page.failure = reply->reason();
    }
    if (!reply || !*reply) {
        try {
            messageBox_.show(kCannotConnectMessage, request.url);
        } catch (...) {
            // Nothing more can be told; the caller still gets its empty page.
        }
        return page;
    }
    page.completed = true;
    page.status = (*reply)->status;
    page.bytes = (*reply)->body.size();
    page.servedBy = (*reply)->servedBy;
    // The browser engine hands back its document as UTF-8, whatever the page was sent as.
    const bool fromBrowser = page.servedBy == kServedByBrowser;
    try {
        DecodedPage decoded = decodePage(std::move(**reply), fromBrowser ? "utf-8" : request.charset,
                                         fromBrowser ? "" : request.fallback);
        page.text = std::move(decoded.text);
        page.charset = std::move(decoded.charset);
        page.why = fromBrowser ? "the browser engine's text" : std::move(decoded.why);
    } catch (const std::exception& error) {
        page.why = error.what();
    }
    return page;
}

}  // namespace quarnel
