#include "cli/site_run.h"

#include "shell/control_model.h"
#include "query/query_run.h"
#include "shell/memory_control_model.h"

namespace quarnel::cli {

SiteRunner::SiteRunner(const Clock& clock, std::ostream& err)
    : clock_(clock), messages_(err), fetcher_(transport_, messages_) {}

RunRecord SiteRunner::query(const std::string& domain) {
    MemoryControlModel controls;
    controls.setText(TextBox::Text3, domain);
    messages_.resetCount();
    const auto startedAt = clock_.now();
    const auto start = std::chrono::steady_clock::now();
    QueryRun(controls, fetcher_, nullptr).run();
    return RunRecord{
        .startedAt = startedAt,
        .duration = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start),
        .domain = domain,
        .origin = RunOrigin::Cli,
        .fetchFailures = messages_.count(),
        .results = resultsOf(controls),
    };
}

}  // namespace quarnel::cli
