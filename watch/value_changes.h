#pragma once

#include "base/run_record.h"

#include <string>
#include <vector>

namespace quarnel::watch {

// One line per watched value that changed from `before` to `after`, in the window's
// order, e.g. "今日收录 120 → 95 (-20.8%)". A count counts as
// changed when it moves by more than a tenth or to or from nothing; the home-page
// verdict, the PageRank and the hijack verdict when their text differs. The snapshot
// date moves every day and is left out.
std::vector<std::string> changeLines(const RunResults& before, const RunResults& after);

}  // namespace quarnel::watch
