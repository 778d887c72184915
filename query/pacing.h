#pragma once

#include "fetch/page_fetcher.h"
#include "query/blocked_answers.h"
#include "query/waits.h"
#include "rules/profile.h"

#include <set>
#include <string>

namespace quarnel {

// Pauses before each request to a host it has passed a request to already, for a length
// drawn within the pace's `between`; the first request to each host goes at once. One
// lives as long as the requests it spaces out: a whole batch (the command line, a watch
// pass), or one query run (the window).
class PacedFetcher final : public PageFetcher {
public:
    PacedFetcher(PageFetcher& inner, const rules::Pace& pace, Waits& waits, PauseDraw& pauses);

    FetchedPage getHTTPPage(const PageRequest& request) override;

private:
    PageFetcher& inner_;
    const rules::Pace& pace_;
    Waits& waits_;
    PauseDraw& pauses_;
    std::set<std::string> asked_;  // hosts, in lower case
};

// A batch's answer to a blocked request: rest for the pace's `after_block`, then ask once
// more. When that answer is blocked too, the batch has stopped: its runs make no further
// request, and the domains after it are not queried.
class BackOff final : public BlockedAnswers {
public:
    BackOff(std::chrono::milliseconds rest, Waits& waits);

    bool askAgain(const std::string& page, const std::string& url) override;
    void blockedAgain(const std::string& page, const std::string& url) override;
    bool stopped() const override { return stopped_; }

private:
    std::chrono::milliseconds rest_;
    Waits& waits_;
    bool stopped_ = false;
};

}  // namespace quarnel
