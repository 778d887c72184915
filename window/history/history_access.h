#pragma once

#include "history/history_store.h"

#include <string>

namespace quarnel {

// What the window records its runs into and reads them back from. Both are null when
// the history database could not be opened; `unavailable` then says why.
struct HistoryAccess {
    history::RunRecorder* recorder = nullptr;
    const history::HistoryReader* reader = nullptr;
    std::string unavailable;
};

}  // namespace quarnel
