#pragma once

#include "fetch/page_fetcher.h"
#include "shell/control_model.h"

namespace quarnel {

// The first search result: its block into Text1, its snapshot text into Label11,
// its link host into Text6 and whether it is the site's home page into Label9.
void runFirstResultChecks(ControlModel& controls, PageFetcher& fetcher);

}  // namespace quarnel
