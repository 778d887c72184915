#pragma once

#include "query/profile_cuts.h"

namespace quarnel {

// How many pages of the site the search lists for the last day, week, month and in all.
void runIndexCounts(ControlModel& controls, ProfileCuts& cuts, const rules::Profile& profile);

// The first search result: its block into Text1, its snapshot text into Label11,
// its link host into Text6 and whether it is the site's home page into Label9.
void runFirstResultChecks(ControlModel& controls, ProfileCuts& cuts, const rules::Profile& profile);

// The PageRank into Label1, the lookup service's remark into Text6, and the verdict on
// a possible hijack into Label2.
void runPageRankCheck(ControlModel& controls, ProfileCuts& cuts, const rules::Profile& profile);

}  // namespace quarnel
