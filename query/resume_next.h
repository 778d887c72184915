#pragma once

#include "fetch/page_fetcher.h"

#include <string>
#include <utility>

namespace quarnel {

// Runs one statement of a query run. A statement that fails is skipped and the run
// goes on with the next: one failing step never ends a run.
template <typename Statement>
void resumeNext(Statement&& statement) noexcept {
    try {
        std::forward<Statement>(statement)();
    } catch (...) {
        // Skipped on purpose; the targets keep what they showed.
    }
}

// A fetch as one statement: the page, or empty text when the fetch could not be made.
template <typename BuildUrl>
std::string fetchPage(PageFetcher& fetcher, BuildUrl&& buildUrl) noexcept {
    std::string page;
    resumeNext([&] { page = fetcher.getHTTPPage(std::forward<BuildUrl>(buildUrl)()); });
    return page;
}

}  // namespace quarnel
