#include "watch/watch_pass.h"

#include "watch/value_changes.h"

namespace quarnel::watch {

WatchPass::WatchPass(SiteQuery& site, const history::HistoryReader& history, history::RunRecorder& recorder,
                     Notifier& notifier, std::ostream& out, std::ostream& err)
    : site_(site), history_(history), recorder_(recorder), notifier_(notifier), out_(out), err_(err) {}

WatchOutcome WatchPass::run(const std::vector<std::string>& domains) {
    WatchOutcome outcome;
    for (const std::string& domain : domains) {
        watch(domain, outcome);
    }
    return outcome;
}

void WatchPass::watch(const std::string& domain, WatchOutcome& outcome) {
    const auto before = lastCompleteResults(domain);
    const RunRecord run = site_.query(domain);
    if (const Expected<Done> recorded = recorder_.record(run); !recorded) {
        outcome.everyRunRecorded = false;
        tellHistoryProblem(recorded.reason());
    }
    // A value missing because its service could not be reached has not changed: such a
    // run is kept in the history but compared with nothing.
    if (run.fetchFailures > 0) {
        outcome.everyFetchCompleted = false;
        return;
    }
    if (!before) {
        return;
    }
    std::string body;
    for (const std::string& change : changeLines(*before, run.results)) {
        out_ << domain << ' ' << change << '\n';
        body += (body.empty() ? "" : "\n") + change;
    }
    out_.flush();
    if (!body.empty()) {
        notifier_.notify("Quarnel: " + domain, body);
    }
}

std::optional<RunResults> WatchPass::lastCompleteResults(const std::string& domain) {
    history::RunFilter filter;
    filter.domains = {domain};
    const auto runs = history_.runs(filter);
    if (!runs) {
        tellHistoryProblem(runs.reason());
        return std::nullopt;
    }
    for (auto run = runs->rbegin(); run != runs->rend(); ++run) {
        if (run->fetchFailures == 0) {
            return run->results;
        }
    }
    return std::nullopt;
}

// Told once per pass: a broken database would otherwise repeat itself for every domain.
void WatchPass::tellHistoryProblem(const std::string& reason) {
    if (toldProblems_.insert(reason).second) {
        err_ << "history: " << reason << std::endl;
    }
}

}  // namespace quarnel::watch
