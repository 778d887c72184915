#pragma once

#include "history/history_store.h"
#include "watch/notifier.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace quarnel::watch {

// Which domain of a batch a run is for, and where in the batch it stands: what a wait
// in it shows ("[3/40] example.com: 等待 4 s").
struct BatchPlace {
    std::string domain;
    std::size_t number = 1;  // counted from 1
    std::size_t total = 0;   // 0 while not known (domains read one by one from standard input)
};

// One query run of one domain, as a bare query makes it. Once the batch has stopped (an
// answer was still blocked after the rest), the domains after it are not queried: their
// runs come back at once with `notQueried` set, and no request made.
class SiteQuery {
public:
    virtual ~SiteQuery() = default;
    virtual RunRecord query(const BatchPlace& place) = 0;
};

// The run of a domain a stopped batch does not query: no request made, `notQueried` set.
RunRecord notQueriedRun(const BatchPlace& place, std::chrono::sys_seconds startedAt, std::string profile,
                        RunOrigin origin);

// What the command line's `blocked:` lines and a watch pass's notification ask of the
// user: the window's 安全验证 window lets a person pass the verification, and later runs
// use the cookies it kept.
inline constexpr const char* kPassVerificationInWindow = "在 Quarnel 窗口中查询一次该域名以完成验证";

struct WatchOutcome {
    bool everyServiceReached = true;  // every run reached every service (reachedEveryService)
    bool everyRunRecorded = true;
    // Domains whose run was answered by a verification page (under rules other than the
    // classic ones, whose window has none to pass), and domains the pass did not reach.
    std::vector<std::string> blocked;
    std::vector<std::string> notQueried;
};

// Queries each watched domain in turn, records the run, and tells what changed since
// the domain's last run that reached every service. Blocked runs and the domains not
// reached are told once, in one notification, at the end.
class WatchPass {
public:
    // Change lines go to `out`; problems with the history and domains not reached to `err`.
    WatchPass(SiteQuery& site, const history::HistoryReader& history, history::RunRecorder& recorder,
              Notifier& notifier, std::ostream& out, std::ostream& err);

    // `goOn`, when given, is asked before each domain: false ends the pass there, as a
    // pass started by hand and cancelled ends.
    WatchOutcome run(const std::vector<std::string>& domains,
                     const std::function<bool(const BatchPlace&)>& goOn = nullptr);

private:
    void watch(const BatchPlace& place, WatchOutcome& outcome);
    std::optional<RunResults> lastCompleteResults(const std::string& domain);
    void tellBlocked(const WatchOutcome& outcome);
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
