#pragma once

#include "fetch/page_fetcher.h"
#include "shell/control_model.h"

namespace quarnel {

// How many pages of the site the search lists for the last day, week, month and in all.
void runIndexCounts(ControlModel& controls, PageFetcher& fetcher);

}  // namespace quarnel
