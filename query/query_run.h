#pragma once

#include "controls/control_model.h"
#include "controls/last_domain_file.h"
#include "query/profile_cuts.h"

namespace quarnel {

// What the query button does: marks the results busy, starts the check panel's timer
// and submits its page, runs every check of the domain in Text3 one fetch after the
// other as the profile's rules say, and finally remembers the domain.
class QueryRun {
public:
    // `lastDomain` may be null: then the domain is not remembered.
    QueryRun(ControlModel& controls, const QueryContext& context, const LastDomainFile* lastDomain);

    void run() noexcept;

private:
    ControlModel& controls_;
    const QueryContext& context_;
    const LastDomainFile* lastDomain_;
};

}  // namespace quarnel
