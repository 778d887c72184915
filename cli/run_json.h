#pragma once

#include "base/run_record.h"

#include <string>

namespace quarnel::cli {

// One run as one line of JSON: the domain, the eight results (null where no check
// wrote one) and the failed fetches; with `whenAndWhere` also when it started, how
// long it took and where it ran.
std::string formatJsonLine(const RunRecord& run, bool whenAndWhere = false);

}  // namespace quarnel::cli
