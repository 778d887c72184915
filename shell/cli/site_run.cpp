#include "shell/cli/site_run.h"

#include "history/run_results.h"
#include "query/query_run.h"
#include "shell/memory_control_model.h"

namespace quarnel::cli {

SiteRunner::SiteRunner(const history::Clock& clock) : clock_(clock), fetcher_(transport_, messages_) {}

history::RunRecord SiteRunner::run(const std::string& domain) {
    MemoryControlModel controls;
    controls.setText(TextBox::Text3, domain);
    messages_.resetCount();
    history::RunRecord record;
    record.startedAt = clock_.now();
    const auto start = std::chrono::steady_clock::now();
    QueryRun(controls, fetcher_, nullptr).run();
    record.duration = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    record.domain = domain;
    record.origin = history::RunOrigin::Cli;
    record.fetchFailures = messages_.count();
    record.results = history::resultsOf(controls);
    return record;
}

}  // namespace quarnel::cli
