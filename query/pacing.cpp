#include "query/pacing.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace quarnel {
namespace {

// The host an address names, in lower case: without scheme, user, port and path, so that
// http:// and https:// requests to one search engine count as one host.
std::string hostOf(std::string_view url) {
    if (const std::size_t scheme = url.find("://"); scheme != std::string_view::npos) {
        url.remove_prefix(scheme + 3);
    }
    url = url.substr(0, url.find_first_of("/?#"));
    if (const std::size_t user = url.rfind('@'); user != std::string_view::npos) {
        url.remove_prefix(user + 1);
    }
    url = url.starts_with('[') ? url.substr(0, url.find(']') + 1) : url.substr(0, url.find(':'));
    std::string host(url);
    std::ranges::transform(host, host.begin(), [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    return host;
}

}  // namespace

PacedFetcher::PacedFetcher(PageFetcher& inner, const rules::Pace& pace, Waits& waits, PauseDraw& pauses)
    : inner_(inner), pace_(pace), waits_(waits), pauses_(pauses) {}

FetchedPage PacedFetcher::getHTTPPage(const PageRequest& request) {
    const bool askedBefore = !asked_.insert(hostOf(request.url)).second;
    if (askedBefore && pace_.longest.count() > 0) {
        waits_.wait({Wait::For::Pace, pauses_.draw(pace_.shortest, pace_.longest), request.url});
    }
    return inner_.getHTTPPage(request);
}

BackOff::BackOff(std::chrono::milliseconds rest, Waits& waits) : rest_(rest), waits_(waits) {}

bool BackOff::askAgain(const std::string& /*page*/, const std::string& url) {
    if (stopped_) {
        return false;
    }
    waits_.wait({Wait::For::AfterBlock, rest_, url});
    return true;
}

void BackOff::blockedAgain(const std::string& /*page*/, const std::string& /*url*/) {
    stopped_ = true;
}

}  // namespace quarnel
