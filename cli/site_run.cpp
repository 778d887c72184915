#include "cli/site_run.h"

#include "controls/control_model.h"
#include "controls/memory_control_model.h"
#include "query/query_run.h"

#include <ostream>

namespace quarnel::cli {

void StderrMessageBox::show(std::string_view message, std::string_view url) {
    ++count_;
    err_ << message << ": " << url << std::endl;
}

SiteRunner::SiteRunner(const Clock& clock, std::ostream& err, const rules::Profile& profile, std::string key,
                       const std::filesystem::path& cookieFile)
    : clock_(clock),
      err_(err),
      profile_(profile),
      key_(std::move(key)),
      transport_(cookieFile, nullptr),
      messages_(err),
      fetcher_(transport_, messages_) {}

RunRecord SiteRunner::query(const std::string& domain) {
    MemoryControlModel controls;
    controls.setText(TextBox::Text3, domain);
    messages_.resetCount();
    const auto startedAt = clock_.now();
    const auto start = std::chrono::steady_clock::now();
    const QueryContext context{
        .profile = profile_, .fetcher = fetcher_, .clock = clock_, .key = key_, .trace = &trace_};
    QueryRun(controls, context, nullptr).run();
    for (const RequestTrace& request : trace_.requests) {
        if (request.blocked) {
            err_ << "blocked: " << request.url << " (" << request.title << ")" << std::endl;
        }
    }
    RunRecord run{
        .startedAt = startedAt,
        .duration = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start),
        .domain = domain,
        .origin = RunOrigin::Cli,
        .fetchFailures = messages_.count(),
        .results = resultsOf(controls),
    };
    addTraceTo(run, trace_);
    return run;
}

}  // namespace quarnel::cli
