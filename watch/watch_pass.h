#pragma once

#include "history/history_store.h"
#include "watch/notifier.h"

#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace quarnel::watch {

// One query run of one domain, as a bare query makes it.
class SiteQuery {
public:
    virtual ~SiteQuery() = default;
    virtual RunRecord query(const std::string& domain) = 0;
};

struct WatchOutcome {
    bool everyFetchCompleted = true;
    bool everyRunRecorded = true;
};

// Queries each watched domain in turn, records the run, and tells what changed since
// the domain's last run that reached every service.
class WatchPass {
public:
    // Change lines go to `out`; problems with the history to `err`.
    WatchPass(SiteQuery& site, const history::HistoryReader& history, history::RunRecorder& recorder,
              Notifier& notifier, std::ostream& out, std::ostream& err);

    WatchOutcome run(const std::vector<std::string>& domains);

private:
    void watch(const std::string& domain, WatchOutcome& outcome);
    std::optional<RunResults> lastCompleteResults(const std::string& domain);
    void tellHistoryProblem(const std::string& reason);

    SiteQuery& site_;
    const history::HistoryReader& history_;
    history::RunRecorder& recorder_;
    Notifier& notifier_;
    std::ostream& out_;
    std::ostream& err_;
    std::set<std::string> toldProblems_;
};

}  // namespace quarnel::watch
