#pragma once

#include "fetch/page_fetcher.h"
#include "shell/control_model.h"

namespace quarnel {

// The site's PageRank from the lookup service into Label1, the service's remark into
// Text6, and whether the PageRank is genuine or may be hijacked into Label2.
void runPageRankCheck(ControlModel& controls, PageFetcher& fetcher);

}  // namespace quarnel
