#pragma once

#include "base/run_record.h"

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace quarnel {

// What one request of a run did, for a user who asks why a value stayed empty.
struct RequestTrace {
    std::string page;  // the profile's name for it
    std::string url;
    bool completed = false;
    long status = 0;
    std::size_t bytes = 0;
    std::string charset;
    std::string why;      // why that character set
    std::string failure;  // why the request did not complete
    std::string servedBy;  // which way the page came: "curl", "browser", ...
    std::chrono::milliseconds elapsed{0};
    bool blocked = false;
    std::string title;  // of a blocked page
    // A blocked answer that was asked for once more: the later answer took its place.
    bool askedAgain = false;
};

// How one value was cut: the rule, where it matched, what came out or why nothing did.
struct ValueTrace {
    std::string name;               // the profile's name for the cut ("day_count", "link_host")
    std::optional<Result> result;   // the result it shows, where it is one of the eight
    std::string rule;               // the rule as the profile gives it (of several, the one that gave the value)
    std::string found;              // where the markers stood, or how many nodes matched
    std::vector<std::string> passedOver;  // of several ways to the value, each tried before `rule`, and what it found
    std::optional<std::string> value;
    std::string reason;  // why there is no value
};

struct RunTrace {
    std::string profile;
    std::vector<RequestTrace> requests;
    std::vector<ValueTrace> values;

    // The blocked answers that stood, not asked for once more.
    int blockedCount() const;
    // Why each of the eight results has no value (empty where it has one, or was never cut).
    std::string reasonFor(Result result) const;
};

// What a run's record keeps of its trace: the profile, the blocked answers, which way
// each request came, and why each result it has no value for is empty.
void addTraceTo(RunRecord& run, const RunTrace& trace);

// The trace as the command line prints it after a domain's results.
std::string formatTrace(const RunTrace& trace);

}  // namespace quarnel
