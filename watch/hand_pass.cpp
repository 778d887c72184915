#include "watch/hand_pass.h"

#include "watch/run_lock.h"

#include <algorithm>

namespace quarnel::watch {
namespace {

constexpr std::chrono::milliseconds kCountdownStep{1000};

}  // namespace

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

HandPass::HandPass(SiteQuery& site, const history::HistoryReader& history, history::RunRecorder& recorder,
                   Notifier& notifier, Sleeper& sleeper, PassProgress& progress)
    : site_(site),
      history_(history),
      recorder_(recorder),
      notifier_(notifier),
      sleeper_(sleeper),
      progress_(progress) {}

HandPass::Ended HandPass::run(const std::filesystem::path& listFile, const std::vector<std::string>& domains,
                              std::ostream& out, std::ostream& err) {
    const RunLock lock(runLockPath(listFile), RunLock::Wait::No);
    if (lock.state() != RunLock::State::Held) {
        return lock.state() == RunLock::State::Busy ? Ended::Busy : Ended::Unlockable;
    }
    CancellableRecorder recorder(*this);
    WatchPass pass(site_, history_, recorder, notifier_, out, err);
    for (std::size_t i = 0; i < domains.size() && !cancelled_; ++i) {
        progress_.querying(i + 1, domains.size(), domains[i]);
        pass.run({domains[i]});
    }
    return cancelled_ ? Ended::Cancelled : Ended::Done;
}

bool HandPass::pause(std::chrono::milliseconds length) {
    while (length.count() > 0 && !cancelled_) {
        progress_.waiting(std::chrono::ceil<std::chrono::seconds>(length));
        const auto step = std::min(length, kCountdownStep);
        sleeper_.sleep(step);
        length -= step;
    }
    return !cancelled_;
}

}  // namespace quarnel::watch
