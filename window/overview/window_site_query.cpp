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

WindowSiteQuery::WindowSiteQuery(HttpTransport& transport, const rules::Profile& profile, std::string key,
                                 const Clock& clock, BlockedAnswers* onBlocked, std::function<bool()> stopped)
    : profile_(profile),
      key_(std::move(key)),
      clock_(clock),
      onBlocked_(onBlocked),
      transport_(transport, std::move(stopped)),
      fetcher_(transport_, failures_) {}

RunRecord WindowSiteQuery::query(const std::string& domain) {
    MemoryControlModel controls;
    controls.setText(TextBox::Text3, domain);
    failures_.count = 0;
    RunRecord run{.startedAt = clock_.now(), .domain = domain, .origin = RunOrigin::Window, .results = {}};
    const auto start = std::chrono::steady_clock::now();
    const QueryContext context{.profile = profile_,
                               .fetcher = fetcher_,
                               .clock = clock_,
                               .key = key_,
                               .trace = &trace_,
                               .onBlocked = onBlocked_};
    QueryRun(controls, context, nullptr).run();
    run.duration = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    run.fetchFailures = failures_.count;
    run.results = resultsOf(controls);
    addTraceTo(run, trace_);
    return run;
}

}  // namespace quarnel
