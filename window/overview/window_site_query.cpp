#include "window/overview/window_site_query.h"

#include "controls/memory_control_model.h"
#include "query/query_run.h"

namespace quarnel {

WindowSiteQuery::StoppableTransport::StoppableTransport(HttpTransport& inner, std::function<bool()> stopped)
    : inner_(inner), stopped_(std::move(stopped)) {}

Expected<HttpReply> WindowSiteQuery::StoppableTransport::fetch(const HttpRequest& request) {
    if (stopped_()) {
        return Failure{"the check was cancelled"};
    }
    return inner_.fetch(request);
}

bool WindowSiteQuery::PassBlockedAnswers::askAgain(const std::string& page, const std::string& url) {
    for (BlockedAnswers* answers : {verification_, backOff_}) {
        if (answers != nullptr && answers->askAgain(page, url)) {
            askedAgain_ = answers;
            return true;
        }
    }
    return false;
}

void WindowSiteQuery::PassBlockedAnswers::blockedAgain(const std::string& page, const std::string& url) {
    if (askedAgain_ != nullptr) {
        askedAgain_->blockedAgain(page, url);
    }
}

WindowSiteQuery::WindowSiteQuery(HttpTransport& transport, const rules::Profile& profile, std::string key,
                                 const Clock& clock, Waits& waits, PauseDraw& pauses, BlockedAnswers* verification,
                                 std::function<bool()> stopped)
    : profile_(profile),
      key_(std::move(key)),
      clock_(clock),
      transport_(transport, std::move(stopped)),
      fetcher_(transport_, failures_),
      paced_(fetcher_, profile.pace, waits, pauses),
      backOff_(profile.pace.afterBlock ? std::optional<BackOff>(std::in_place, *profile.pace.afterBlock, waits)
                                       : std::nullopt),
      blocked_(verification, backOff_ ? &*backOff_ : nullptr) {}

RunRecord WindowSiteQuery::query(const watch::BatchPlace& place) {
    if (blocked_.stopped()) {
        return watch::notQueriedRun(place, clock_.now(), profile_.name, RunOrigin::Window);
    }
    MemoryControlModel controls;
    controls.setText(TextBox::Text3, place.domain);
    failures_.count = 0;
    RunRecord run{.startedAt = clock_.now(), .domain = place.domain, .origin = RunOrigin::Window, .results = {}};
    const auto start = std::chrono::steady_clock::now();
    const QueryContext context{.profile = profile_,
                               .fetcher = paced_,
                               .clock = clock_,
                               .key = key_,
                               .trace = &trace_,
                               .onBlocked = &blocked_};
    QueryRun(controls, context, nullptr).run();
    run.duration = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    run.fetchFailures = failures_.count;
    run.results = resultsOf(controls);
    addTraceTo(run, trace_);
    return run;
}

}  // namespace quarnel
