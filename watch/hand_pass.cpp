#include "watch/hand_pass.h"

#include "watch/run_lock.h"

namespace quarnel::watch {

// Keeps nothing of a run the cancel cut short, and tells each run it has recorded.
class HandPass::CancellableRecorder final : public history::RunRecorder {
public:
    explicit CancellableRecorder(HandPass& pass) : pass_(pass) {}

    Expected<Done> record(const RunRecord& run) override {
        if (pass_.cancelled()) {
            return Done{};
        }
        Expected<Done> recorded = pass_.recorder_.record(run);
        if (recorded) {
            pass_.progress_.recorded(run.domain);
        }
        return recorded;
    }

private:
    HandPass& pass_;
};

HandPass::HandPass(const history::HistoryReader& history, history::RunRecorder& recorder, Notifier& notifier,
                   Waits& waits, PassProgress& progress)
    : history_(history), recorder_(recorder), notifier_(notifier), inner_(waits), progress_(progress) {}

HandPass::Ended HandPass::run(SiteQuery& site, const std::filesystem::path& listFile,
                              const std::vector<std::string>& domains, std::ostream& out, std::ostream& err) {
    const RunLock lock(runLockPath(listFile), RunLock::Wait::No);
    if (lock.state() != RunLock::State::Held) {
        return lock.state() == RunLock::State::Busy ? Ended::Busy : Ended::Unlockable;
    }
    CancellableRecorder recorder(*this);
    outcome_ = WatchPass(site, history_, recorder, notifier_, out, err).run(domains, [this](const BatchPlace& place) {
        if (cancelled_) {
            return false;
        }
        progress_.querying(place);
        return true;
    });
    return cancelled_ ? Ended::Cancelled : Ended::Done;
}

void HandPass::Countdown::wait(const Wait& wait) {
    waitSecondBySecond(pass_.inner_, wait, [this, &wait](std::chrono::milliseconds left) {
        if (pass_.cancelled_) {
            return false;
        }
        pass_.progress_.waiting(wait.why, std::chrono::ceil<std::chrono::seconds>(left));
        return true;
    });
}

}  // namespace quarnel::watch
