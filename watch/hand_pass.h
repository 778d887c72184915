#pragma once

#include "history/history_store.h"
#include "watch/notifier.h"
#include "watch/watch_pass.h"

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace quarnel::watch {

// What a watch pass started by hand shows as it goes.
class PassProgress {
public:
    virtual ~PassProgress() = default;
    // Before the query of the domain `number` of `total` (from 1).
    virtual void querying(std::size_t number, std::size_t total, const std::string& domain) = 0;
    // While the pass waits before its next request, counting down.
    virtual void waiting(std::chrono::seconds left) = 0;
    // A run of `domain` is in the history now.
    virtual void recorded(const std::string& domain) = 0;
};

// Where a pass sits out a wait, a second at most at a time: the window keeps its event
// loop going meanwhile, tests go on at once.
class Sleeper {
public:
    virtual ~Sleeper() = default;
    virtual void sleep(std::chrono::milliseconds length) = 0;
};

// The rules the daily pass queries by: `quarnel-cli watch` as its timer starts it, with
// no --profile. A pass started by hand uses them too, so that its runs compare with the
// timer's.
inline constexpr const char* kWatchProfile = "classic";

// One watch pass over a list's domains, started by hand: it holds the list's run lock
// throughout, so that it and a timer's pass never run at once, tells its progress, and
// can be cancelled from within a query or a wait of it. Then the run going on is not
// recorded (the site query should make no further request) and no other domain is
// queried. Each domain goes through a WatchPass of its own, recorded and compared as
// the timer's pass does it.
class HandPass {
public:
    enum class Ended { Done, Cancelled, Busy, Unlockable };

    HandPass(SiteQuery& site, const history::HistoryReader& history, history::RunRecorder& recorder, Notifier& notifier,
             Sleeper& sleeper, PassProgress& progress);

    // Change lines go to `out`, problems with the history to `err`.
    Ended run(const std::filesystem::path& listFile, const std::vector<std::string>& domains, std::ostream& out,
              std::ostream& err);
    // Sits out a wait of the query going on, counting down; false when the pass was
    // cancelled before or meanwhile.
    bool pause(std::chrono::milliseconds length);
    void cancel() { cancelled_ = true; }
    bool cancelled() const { return cancelled_; }

private:
    class CancellableRecorder;

    SiteQuery& site_;
    const history::HistoryReader& history_;
    history::RunRecorder& recorder_;
    Notifier& notifier_;
    Sleeper& sleeper_;
    PassProgress& progress_;
    bool cancelled_ = false;
};

}  // namespace quarnel::watch
