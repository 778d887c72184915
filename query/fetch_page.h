#pragma once

#include "fetch/page_fetcher.h"
#include "shell/resume_next.h"

#include <string>
#include <utility>

namespace quarnel {

// A fetch as one statement: the page, or empty text when the fetch could not be made.
template <typename BuildUrl>
std::string fetchPage(PageFetcher& fetcher, BuildUrl&& buildUrl) noexcept {
    std::string page;
    resumeNext([&] { page = fetcher.getHTTPPage(std::forward<BuildUrl>(buildUrl)()); });
    return page;
}

}  // namespace quarnel
