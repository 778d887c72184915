#pragma once

#include "fetch/http_page_fetcher.h"
#include "query/blocked_answers.h"
#include "query/pacing.h"
#include "query/run_trace.h"
#include "rules/profile.h"
#include "watch/watch_pass.h"

#include <functional>
#include <optional>
#include <string>

namespace quarnel {

// A run of one domain for a watch pass started from the window: the query on controls
// of its own, through the window's transport, each failed fetch counted but shown
// nowhere (no box may hold a pass up). Requests are paced as the rules say, through
// `waits`, across the whole pass. A blocked answer is offered to `verification` first
// (the 安全验证 window; null: none), then, where the rules rest after one, to the
// back-off: when the answer is still blocked after the rest, the domains after it are
// not queried. Once `stopped` says so, every request fails at once.
class WindowSiteQuery final : public watch::SiteQuery {
public:
    WindowSiteQuery(HttpTransport& transport, const rules::Profile& profile, std::string key, const Clock& clock,
                    Waits& waits, PauseDraw& pauses, BlockedAnswers* verification, std::function<bool()> stopped);

    RunRecord query(const watch::BatchPlace& place) override;

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

    // The verification first, then the back-off; an answer blocked again is told to
    // whichever of them asked again.
    class PassBlockedAnswers final : public BlockedAnswers {
    public:
        PassBlockedAnswers(BlockedAnswers* verification, BlockedAnswers* backOff)
            : verification_(verification), backOff_(backOff) {}
        bool askAgain(const std::string& page, const std::string& url) override;
        void blockedAgain(const std::string& page, const std::string& url) override;
        bool stopped() const override { return backOff_ != nullptr && backOff_->stopped(); }

    private:
        BlockedAnswers* verification_;
        BlockedAnswers* backOff_;
        BlockedAnswers* askedAgain_ = nullptr;
    };

    const rules::Profile& profile_;
    std::string key_;
    const Clock& clock_;
    StoppableTransport transport_;
    CountingBox failures_;
    HttpPageFetcher fetcher_;
    PacedFetcher paced_;
    std::optional<BackOff> backOff_;
    PassBlockedAnswers blocked_;
    RunTrace trace_;
};

}  // namespace quarnel
