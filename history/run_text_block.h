#pragma once

#include "history/run_record.h"

#include <string>

namespace quarnel::history {

// The results of one run as the command line prints them and the window copies them:
// the domain's address, then each result under the window's heading (查询中. where no
// check wrote it), then the count of failed fetches when there were any.
std::string formatTextBlock(const RunRecord& run);

}  // namespace quarnel::history
