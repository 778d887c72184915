#pragma once

#include "fetch/http_page_fetcher.h"
#include "query/blocked_answers.h"
#include "query/run_trace.h"
#include "rules/profile.h"
#include "watch/watch_pass.h"

#include <functional>
#include <string>

namespace quarnel {

// A run of one domain for a watch pass started from the window: the query on controls
// of its own, through the window's transport, each failed fetch counted but shown
// nowhere (no box may hold a pass up), a blocked answer handed to `onBlocked` (null: it
// stays blocked). Once `stopped` says so, every request fails at once.
class WindowSiteQuery final : public watch::SiteQuery {
public:
    WindowSiteQuery(HttpTransport& transport, const rules::Profile& profile, std::string key, const Clock& clock,
                    BlockedAnswers* onBlocked, std::function<bool()> stopped);

    RunRecord query(const std::string& domain) override;

private:
    // Refuses every request once the pass has stopped.
    class StoppableTransport final : public HttpTransport {
    public:
        StoppableTransport(HttpTransport& inner, std::function<bool()> stopped);
        Expected<HttpReply> fetch(const HttpRequest& request) override;

    private:
        HttpTransport& inner_;
        std::function<bool()> stopped_;
    };

    class CountingBox final : public MessageBox {
    public:
        void show(std::string_view, std::string_view) override { ++count; }
        int count = 0;
    };

    const rules::Profile& profile_;
    std::string key_;
    const Clock& clock_;
    BlockedAnswers* onBlocked_;
    StoppableTransport transport_;
    CountingBox failures_;
    HttpPageFetcher fetcher_;
    RunTrace trace_;
};

}  // namespace quarnel
