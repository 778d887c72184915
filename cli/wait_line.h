#pragma once

#include "query/waits.h"
#include "watch/watch_pass.h"

#include <ostream>
#include <string>

namespace quarnel::cli {

// Passes each wait on to `inner`. On a terminal it also shows what is waited for and how
// long, on one line of standard error counted down in place ("[3/40] example.com: 等待
// 4 s"), and clears the line when the wait is over; elsewhere it writes nothing.
class WaitLine final : public Waits {
public:
    WaitLine(Waits& inner, std::ostream& err, bool onTerminal);

    // The run the next waits belong to.
    void at(const watch::BatchPlace& place) { place_ = place; }
    void wait(const Wait& wait) override;

private:
    std::string line(Wait::For why, std::chrono::milliseconds left) const;

    Waits& inner_;
    std::ostream& err_;
    bool onTerminal_;
    watch::BatchPlace place_;
};

}  // namespace quarnel::cli
