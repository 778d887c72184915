#include "watch/watch_pass.h"

#include "watch/value_changes.h"

namespace quarnel::watch {
namespace {

std::string listed(const std::vector<std::string>& domains) {
    std::string text;
    for (const std::string& domain : domains) {
        text += (text.empty() ? "" : "、") + domain;
    }
    return text;
}

}  // namespace

RunRecord notQueriedRun(const BatchPlace& place, std::chrono::sys_seconds startedAt, std::string profile,
                        RunOrigin origin) {
    RunRecord run;
    run.startedAt = startedAt;
    run.domain = place.domain;
    run.origin = origin;
    run.profile = std::move(profile);
    run.notQueried = kNotQueriedBlocked;
    return run;
}

WatchPass::WatchPass(SiteQuery& site, const history::HistoryReader& history, history::RunRecorder& recorder,
                     Notifier& notifier, std::ostream& out, std::ostream& err)
    : site_(site), history_(history), recorder_(recorder), notifier_(notifier), out_(out), err_(err) {}

WatchOutcome WatchPass::run(const std::vector<std::string>& domains,
                            const std::function<bool(const BatchPlace&)>& goOn) {
    WatchOutcome outcome;
    for (std::size_t i = 0; i < domains.size(); ++i) {
        const BatchPlace place{.domain = domains[i], .number = i + 1, .total = domains.size()};
        if (goOn && !goOn(place)) {
            break;
        }
        watch(place, outcome);
    }
    tellBlocked(outcome);
    return outcome;
}

void WatchPass::watch(const BatchPlace& place, WatchOutcome& outcome) {
    const std::string& domain = place.domain;
    const auto before = lastCompleteResults(domain);
    const RunRecord run = site_.query(place);
    // A domain not reached is recorded too, so that the history shows the gap.
    if (const Expected<Done> recorded = recorder_.record(run); !recorded) {
        outcome.everyRunRecorded = false;
        tellHistoryProblem(recorded.reason());
    }
    if (!run.notQueried.empty()) {
        err_ << "not queried: " << domain << " (" << run.notQueried << ')' << std::endl;
        outcome.notQueried.push_back(domain);
    } else if (run.blockedPages > 0 && run.profile != kClassicProfile) {
        outcome.blocked.push_back(domain);
    }
    // A value missing because its service could not be reached, or answered with a
    // verification page, has not changed: such a run is kept in the history but compared
    // with nothing.
    if (!reachedEveryService(run)) {
        outcome.everyServiceReached = false;
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
        if (reachedEveryService(*run)) {
            return run->results;
        }
    }
    return std::nullopt;
}

// Once per pass, however many domains were blocked: the user has one thing to do.
void WatchPass::tellBlocked(const WatchOutcome& outcome) {
    if (outcome.blocked.empty() && outcome.notQueried.empty()) {
        return;
    }
    std::string body;
    if (!outcome.blocked.empty()) {
        body = listed(outcome.blocked) + " 的查询被百度拦截。" + kPassVerificationInWindow + "。";
    }
    if (!outcome.notQueried.empty()) {
        body += (body.empty() ? "" : "\n") + std::string("因被拦截而未查询：") + listed(outcome.notQueried);
    }
    notifier_.notify("Quarnel: 百度安全验证", body);
}

// Told once per pass: a broken database would otherwise repeat itself for every domain.
void WatchPass::tellHistoryProblem(const std::string& reason) {
    if (toldProblems_.insert(reason).second) {
        err_ << "history: " << reason << std::endl;
    }
}

}  // namespace quarnel::watch
