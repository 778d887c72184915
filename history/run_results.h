#pragma once

#include "history/run_record.h"
#include "shell/control_model.h"

namespace quarnel::history {

// The results a query run left on the controls, read when it has ended: a label that
// still reads 查询中. was written by no check of the run and is nothing.
RunResults resultsOf(const ControlModel& controls);

}  // namespace quarnel::history
