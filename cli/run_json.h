#pragma once

#include "base/run_record.h"
#include "query/run_trace.h"
#include "watch/site_status.h"

#include <string>

namespace quarnel::cli {

// One run as one line of JSON: the domain, the eight results (null where no check
// wrote one) and the failed fetches; with `whenAndWhere` also when it started, how
// long it took, where it ran, why each empty value is empty and why the domain was not
// queried at all (null when it was); with `explain`, that trace under the key "explain".
std::string formatJsonLine(const RunRecord& run, bool whenAndWhere = false, const RunTrace* explain = nullptr);

// A site of the status table as one line of JSON: its latest run as `history --json`
// gives it (every key null for a watched domain never queried), "watched", the run
// compared with under "previous" (or null), and under "changes" each result that
// differs, by key: {"from": ..., "to": ...}, with "delta" where both are numbers.
std::string formatStatusJsonLine(const watch::SiteStatus& site);

}  // namespace quarnel::cli
