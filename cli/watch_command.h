#pragma once

#include "cli/invocation.h"

namespace CLI {
class App;
}

namespace quarnel::cli {

// Another watch pass over the same list is still going on; this one sent nothing.
inline constexpr int kExitWatchBusy = 4;

// `watch`: one pass over the watch list, and `watch add|remove|list` to edit and show it.
void addWatchCommand(CLI::App& app, Invocation& invocation);

}  // namespace quarnel::cli
