#pragma once

#include "history/history_store.h"
#include "query/waits.h"
#include "watch/notifier.h"
#include "watch/watch_pass.h"

#include <chrono>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace quarnel::watch {

// What a watch pass started by hand shows as it goes.
class PassProgress {
public:
    virtual ~PassProgress() = default;
    // Before the query of the domain at `place`.
    virtual void querying(const BatchPlace& place) = 0;
    // While the pass waits before its next request, counting down a second at a time.
    virtual void waiting(Wait::For why, std::chrono::seconds left) = 0;
    // A run of `domain` is in the history now.
    virtual void recorded(const std::string& domain) = 0;
};

// The rules the daily pass queries by: `quarnel-cli watch` as its timer starts it, with
// no --profile. A pass started by hand uses them too, so that its runs compare with the
// timer's.
inline constexpr const char* kWatchProfile = "classic";

// One watch pass over a list's domains, started by hand: it holds the list's run lock
// throughout, so that it and a timer's pass never run at once, tells its progress, and
// can be cancelled from within a query or a wait of it. Then the run going on is not
// recorded (the site query should make no further request once `cancelled()`) and no
// other domain is queried. The domains go through one WatchPass, recorded, compared and
// told as the timer's pass does it.
class HandPass {
public:
    enum class Ended { Done, Cancelled, Busy, Unlockable };

    // Each wait of `waits()` is passed to `waits` a second at a time, so that it counts
    // down and a cancel cuts it short.
    HandPass(const history::HistoryReader& history, history::RunRecorder& recorder, Notifier& notifier, Waits& waits,
             PassProgress& progress);

    // Change lines go to `out`, problems with the history to `err`.
    Ended run(SiteQuery& site, const std::filesystem::path& listFile, const std::vector<std::string>& domains,
              std::ostream& out, std::ostream& err);
    // What the last run's domains came to.
    const WatchOutcome& outcome() const { return outcome_; }
    // Where the site query's pauses and rests go.
    Waits& waits() { return countdown_; }
    void cancel() { cancelled_ = true; }
    bool cancelled() const { return cancelled_; }

private:
    class CancellableRecorder;
    class Countdown final : public Waits {
    public:
        explicit Countdown(HandPass& pass) : pass_(pass) {}
        void wait(const Wait& wait) override;

    private:
        HandPass& pass_;
    };

    const history::HistoryReader& history_;
    history::RunRecorder& recorder_;
    Notifier& notifier_;
    Waits& inner_;
    PassProgress& progress_;
    Countdown countdown_{*this};
    WatchOutcome outcome_;
    bool cancelled_ = false;
};

}  // namespace quarnel::watch
